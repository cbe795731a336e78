// SPDX-License-Identifier: MIT
// What a command may change, taken before it runs and put back when a port
// access fails, so that a failed command leaves the window as it found it.
#include "window/frmPortCom.h"

#include "window/ValueDisplay.h"
#include "window/WindowLampPanel.h"

#include <QLabel>
#include <QLineEdit>

frmPortCom::Snapshot frmPortCom::TakeSnapshot() const {
    Snapshot snapshot;
    for (int i = 1; i <= 8; ++i)
        snapshot.bitLamps[static_cast<std::size_t>(i)] = LampColourOf(lblBin[i]);
    for (int pin = 1; pin <= 25; ++pin)
        snapshot.pinLamps[static_cast<std::size_t>(pin)] = LampColourOf(Lpt[pin]);
    snapshot.direction = Label5->text();
    snapshot.address = Text1->text();
    snapshot.value = Text2->text();
    snapshot.shownByte = lblValue->text();
    snapshot.pinsShown = pinsShown_;
    return snapshot;
}

void frmPortCom::Restore(const Snapshot& snapshot) {
    for (int i = 1; i <= 8; ++i)
        SetLampColour(lblBin[i], snapshot.bitLamps[static_cast<std::size_t>(i)]);
    for (int pin = 1; pin <= 25; ++pin)
        SetLampColour(Lpt[pin], snapshot.pinLamps[static_cast<std::size_t>(pin)]);
    Label5->setText(snapshot.direction);
    Text1->setText(snapshot.address);
    Text2->setText(snapshot.value);
    SetValueText(lblValue, snapshot.shownByte);
    pinsShown_ = snapshot.pinsShown;
}
