// SPDX-License-Identifier: MIT
// Verktyg → Spela in…: a recording of a port's registers over time, in a
// dialog of its own. While it records, the window's own port accesses wait.
// There is one such dialog: opened again, it comes forward as it was left.
#include "window/frmPortCom.h"

#include "recording/RecordingDialog.h"

void frmPortCom::mnuRecord_Click() {
    auto* dialog = KeptDialog<RecordingDialog>();
    if (dialog == nullptr) {
        dialog = new RecordingDialog(this, ParallelBases(), reportedParallelBases_, showMessage_);
        PlaceBesideBoxes(dialog, [dialog](bool narrow) { dialog->setNarrow(narrow); });
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
