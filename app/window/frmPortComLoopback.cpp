// SPDX-License-Identifier: MIT
// Verktyg → Slingtest…: the loopback self-test of a parallel port, in a
// dialog of its own.
#include "window/frmPortCom.h"

#include "loopback/LoopbackDialog.h"
#include "ports/ParallelPortRegisters.h"

#include <algorithm>

std::vector<std::uint16_t> frmPortCom::LoopbackBases() const {
    std::vector<std::uint16_t> bases(portprov::kUsualParallelBases.begin(),
                                     portprov::kUsualParallelBases.end());
    for (const std::uint16_t base : otherParallelBases_) {
        if (std::find(bases.begin(), bases.end(), base) == bases.end())
            bases.push_back(base);
    }
    return bases;
}

void frmPortCom::mnuLoopback_Click() {
    auto* dialog = new LoopbackDialog(this, LoopbackBases(), showMessage_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
