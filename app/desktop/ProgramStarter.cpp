// SPDX-License-Identifier: MIT
#include "desktop/ProgramStarter.h"

#include "hardware/HardwarePorts.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include <utility>

namespace {

// Starts an opener and calls failed when it ends with a status other than 0
// or crashes. The process has no parent: closing the window neither waits for
// the opener nor stops it, and a viewer it started keeps running.
bool StartWatchedOpener(const LaunchAttempt& attempt,
                        const SystemProgramStarter::OpenerFailed& failed) {
    auto* process = new QProcess();
    process->setProgram(attempt.program);
    process->setArguments(attempt.arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed, attempt](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if ((status != QProcess::NormalExit || exitCode != 0) && failed)
                             failed(attempt, status == QProcess::NormalExit ? exitCode : -1);
                     });
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    return true;
}

} // namespace

SystemProgramStarter::SystemProgramStarter(OpenerFailed openerFailed)
    : openerFailed_(std::move(openerFailed)) {}

bool SystemProgramStarter::start(const LaunchAttempt& attempt) {
    // A started program would inherit the raw port access of this thread.
    portprov::ReleaseThreadPortAccess();
    switch (attempt.kind) {
    case LaunchAttempt::Kind::RegisteredProgram:
        return !attempt.arguments.isEmpty() &&
               QDesktopServices::openUrl(QUrl::fromLocalFile(attempt.arguments.constFirst()));
    case LaunchAttempt::Kind::Opener:
        return StartWatchedOpener(attempt, openerFailed_);
    case LaunchAttempt::Kind::Program:
        break;
    }
    return QProcess::startDetached(attempt.program, attempt.arguments);
}
