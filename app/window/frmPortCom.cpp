// SPDX-License-Identifier: MIT
#include "window/frmPortCom.h"

#include "art/IconArt.h"
#include "desktop/ProgramStarter.h"
#include "desktop/ReadMeLaunch.h"
#include "desktop/ReadMeMessages.h"
#include "ports/PortBackend.h"
#include "widgets/ClassicWrapLabel.h"
#include "window/ConnectorPins.h"
#include "window/WindowLampPanel.h"

#include <QCoreApplication>
#include <QLayout>
#include <QPointer>
#include <QTimer>

#include <utility>

// The installed data folder, as seen from the program's folder and as it was
// when the program was built.
#ifndef PORTPROV_DATADIR
#define PORTPROV_DATADIR ""
#endif
#ifndef PORTPROV_DATADIR_FROM_BINDIR
#define PORTPROV_DATADIR_FROM_BINDIR ""
#endif

frmPortCom::frmPortCom(QWidget* parent)
    : QMainWindow(parent), showMessage_(ShowMessageBox),
      // An opener may tell only later that nothing could show the read-me.
      starter_(std::make_shared<SystemProgramStarter>(
          [window = QPointer<frmPortCom>(this)](const LaunchAttempt& attempt, int exitStatus) {
              if (window)
                  window->ShowMessage(OpenerFailureMessage(attempt.arguments.value(0), exitStatus));
          })),
      programFolder_(QCoreApplication::applicationDirPath()),
      dataFolders_{QString::fromUtf8(PORTPROV_DATADIR_FROM_BINDIR),
                   QString::fromUtf8(PORTPROV_DATADIR)} {
    setObjectName(QStringLiteral("frmPortCom"));
    setWindowTitle(QStringLiteral("Test LPT1  Adress Hex 0378 - 037A  888 - 890  GamePort 513  "));
    setWindowIcon(iconart::PortprovIcon());
    // A fixed window: title, system menu, minimise and close, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // Before any lamp is named: naming one makes its accessible object.
    InstallPinAccessibility();
    BuildControls();
    BuildMenus();
    NameControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    lamps_ = std::make_unique<WindowLampPanel>(lblBin, Lpt, Label5);
    tmrLive = new QTimer(this);
    ConnectEvents();
}

frmPortCom::~frmPortCom() = default;

void frmPortCom::setMessageHandler(::ShowMessage showMessage) {
    showMessage_ = std::move(showMessage);
}

void frmPortCom::setProgramStarter(std::shared_ptr<ProgramStarter> starter) {
    starter_ = std::move(starter);
}

void frmPortCom::setReadMeFolders(const QString& programFolder, const QStringList& dataFolders) {
    programFolder_ = programFolder;
    dataFolders_ = dataFolders;
}

void frmPortCom::ShowMessage(const QString& text) {
    showMessage_(this, text);
}

bool frmPortCom::RunPortCommand(const std::function<void()>& command, WhileBusy whileBusy) {
    if (runningPortCommands_ > 0) {
        command();
        return true;
    }
    struct Running {
        int& count;
        explicit Running(int& c) : count(c) { ++count; }
        ~Running() { --count; }
    };
    const Snapshot before = TakeSnapshot();
    try {
        const Running running(runningPortCommands_);
        command();
    } catch (const portprov::PortError& error) {
        if (whileBusy == WhileBusy::Wait && error.kind() == portprov::PortErrorKind::Busy) {
            Restore(before);
            return false;
        }
        // Before the message: its modal loop would let the ticks pile up.
        StopLiveReading();
        Restore(before);
        ShowMessage(QString::fromStdString(error.what()));
        return false;
    }
    return true;
}
