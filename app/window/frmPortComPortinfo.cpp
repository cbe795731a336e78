// SPDX-License-Identifier: MIT
// Verktyg → Portinfo…: what each parallel port can do, in a dialog of its own.
#include "window/frmPortCom.h"

#include "portinfo/PortinfoDialog.h"

void frmPortCom::mnuPortinfo_Click() {
    auto* dialog = new PortinfoDialog(this, ParallelBases(),
                                      kernelAccounts_ ? kernelAccounts_()
                                                      : std::vector<portprov::KernelPortAccount>{},
                                      showMessage_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
