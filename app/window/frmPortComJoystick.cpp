// SPDX-License-Identifier: MIT
// Verktyg → Styrspak…: the game port's joysticks, in a dialog of their own.
#include "window/frmPortCom.h"

#include "joystick/JoystickDialog.h"

void frmPortCom::mnuJoystick_Click() {
    auto* dialog = new JoystickDialog(this, showMessage_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
