// SPDX-License-Identifier: MIT
// The menu bar and the commands of Arkiv and Info: closing the window, and
// opening the read-me document in the system's word processor, or telling why
// it cannot. The commands of Verktyg are in frmPortComLive.cpp,
// frmPortComLoopback.cpp, frmPortComRecording.cpp, frmPortComGenerator.cpp,
// frmPortComJoystick.cpp, frmPortComTestLine.cpp and frmPortComPortinfo.cpp.
#include "window/frmPortCom.h"

#include "desktop/ProgramStarter.h"
#include "desktop/ReadMeLaunch.h"
#include "desktop/ReadMeMessages.h"
#include "window/VerktygTools.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

void frmPortCom::BuildMenus() {
    mnuArkiv = menuBar()->addMenu(QStringLiteral("Arkiv"));
    mnuArkiv->setObjectName(QStringLiteral("mnuArkiv"));
    mnuExit = mnuArkiv->addAction(QStringLiteral("Avsluta"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    mnuInfo = menuBar()->addMenu(QStringLiteral("Info"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));
    mnuRead = mnuInfo->addAction(QString::fromUtf8("Läs Mig"));
    mnuRead->setObjectName(QStringLiteral("mnuRead"));
    mnuRead->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));

    mnuVerktyg = menuBar()->addMenu(QStringLiteral("Verktyg"));
    mnuVerktyg->setObjectName(QStringLiteral("mnuVerktyg"));
    for (const VerktygTool& tool : kVerktygTools) {
        QAction* action = mnuVerktyg->addAction(QString::fromUtf8(tool.title));
        action->setObjectName(QString::fromLatin1(tool.name));
        action->setCheckable(tool.checkable);
        if (tool.shortcut != QKeyCombination())
            action->setShortcut(QKeySequence(tool.shortcut));
        this->*tool.action = action;
    }
}

void frmPortCom::mnuExit_Click() {
    close();
}

void frmPortCom::mnuRead_Click() {
    const FileExists exists = [](const QString& path) { return QFileInfo::exists(path); };
    const QString document = ReadMePath(programFolder_, dataFolders_, exists);
    if (const std::optional<QString> missing =
            MissingReadMeMessage(ReadMePlaces(programFolder_, dataFolders_), exists(document))) {
        ShowMessage(*missing);
        return;
    }
    for (const LaunchAttempt& attempt : ReadMeLaunch(document)) {
        if (starter_->start(attempt))
            return;
    }
    ShowMessage(ReadMeFailureMessage());
}
