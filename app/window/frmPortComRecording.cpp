// SPDX-License-Identifier: MIT
// Verktyg → Spela in…: a recording of a port's registers over time, in a
// dialog of its own. While it records, the window's own port accesses wait.
#include "window/frmPortCom.h"

#include "recording/RecordingDialog.h"

void frmPortCom::mnuRecord_Click() {
    auto* dialog = new RecordingDialog(this, LoopbackBases(), reportedParallelBases_, showMessage_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->activateWindow();
}
