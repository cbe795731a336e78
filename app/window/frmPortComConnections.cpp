// SPDX-License-Identifier: MIT
// Which event procedure runs for which user action: all in one place.
#include "window/frmPortCom.h"

#include "art/ConnectorPicture.h"
#include "widgets/EnterClicksButton.h"
#include "widgets/ListStartsAtFirstEntry.h"
#include "window/ConnectorPins.h"
#include "window/KeyPressFilter.h"
#include "window/VerktygTools.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

void frmPortCom::ConnectEvents() {
    connect(Command1, &QPushButton::clicked, this, &frmPortCom::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPortCom::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmPortCom::Command3_Click);
    auto* enterClicks = new EnterClicksButton(this);
    for (QPushButton* button : {Command1, Command2, Command3})
        button->installEventFilter(enterClicks);
    Text1->installEventFilter(
        new KeyPressFilter(this, [this](int keyAscii) { Text1_KeyPress(keyAscii); }));
    Text2->installEventFilter(
        new KeyPressFilter(this, [this](int keyAscii) { Text2_KeyPress(keyAscii); }));
    // A selection by mouse or keyboard; merely tabbing into the list selects nothing.
    connect(List1, &QListWidget::itemSelectionChanged, this, &frmPortCom::List1_Click);
    List1->installEventFilter(new ListStartsAtFirstEntry(this));
    connect(mnuExit, &QAction::triggered, this, &frmPortCom::mnuExit_Click);
    connect(mnuRead, &QAction::triggered, this, &frmPortCom::mnuRead_Click);
    connect(tmrLive, &QTimer::timeout, this, &frmPortCom::tmrLive_Timer);
    for (const VerktygTool& tool : kVerktygTools)
        connect(this->*tool.action, &QAction::triggered, this, tool.click);
    // Owned by the picture it listens to.
    new ConnectorPins(
        Picture1, Lpt, [this](int pin) { Lpt_Click(pin); },
        [this](int pin) { return PinToolTip(pin); });
}
