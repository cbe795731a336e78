// SPDX-License-Identifier: MIT
#pragma once

#include "window/frmPortCom.h"

#include <QKeyCombination>

// The tools of the Verktyg menu, in the menu's order: the title, the action's
// name (the member and its object name), the event procedure it runs, its
// shortcut (Ctrl with a key, or none), and whether it is a switch. The menu
// and its connections are made from here, and the documents test
// (tests/scripts) reads the titles here: one row a tool, its title first.
struct VerktygTool {
    const char* title; // UTF-8
    const char* name;
    QAction* frmPortCom::*action;
    void (frmPortCom::*click)();
    QKeyCombination shortcut = {}; // Qt::Key_unknown: none
    bool checkable = false;
};

inline constexpr VerktygTool kVerktygTools[] = {
    {"Läs kontinuerligt", "mnuLive", &frmPortCom::mnuLive, &frmPortCom::mnuLive_Click,
     Qt::CTRL | Qt::Key_L, true},
    {"Slingtest…", "mnuLoopback", &frmPortCom::mnuLoopback, &frmPortCom::mnuLoopback_Click},
    {"Spela in…", "mnuRecord", &frmPortCom::mnuRecord, &frmPortCom::mnuRecord_Click},
    {"Signalgenerator…", "mnuGenerator", &frmPortCom::mnuGenerator,
     &frmPortCom::mnuGenerator_Click},
    {"Styrspak…", "mnuJoystick", &frmPortCom::mnuJoystick, &frmPortCom::mnuJoystick_Click},
    {"Skriv testrad", "mnuTestLine", &frmPortCom::mnuTestLine, &frmPortCom::mnuTestLine_Click},
    {"Portinfo…", "mnuPortinfo", &frmPortCom::mnuPortinfo, &frmPortCom::mnuPortinfo_Click},
};
