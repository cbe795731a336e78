// SPDX-License-Identifier: MIT
// Verktyg → Slingtest…: the loopback self-test of a parallel port, in a
// dialog of its own.
#include "window/frmPortCom.h"

#include "loopback/LoopbackDialog.h"
#include "ports/ParallelPorts.h"

std::vector<std::uint16_t> frmPortCom::ParallelBases() const {
    return portprov::KnownParallelBases(reportedParallelBases_);
}

void frmPortCom::mnuLoopback_Click() {
    auto* dialog = new LoopbackDialog(this, ParallelBases(), showMessage_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
