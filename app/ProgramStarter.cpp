#include "ProgramStarter.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

bool SystemProgramStarter::start(const LaunchAttempt& attempt) {
    if (attempt.kind == LaunchAttempt::Kind::RegisteredProgram)
        return !attempt.arguments.isEmpty() &&
               QDesktopServices::openUrl(QUrl::fromLocalFile(attempt.arguments.constFirst()));
    return QProcess::startDetached(attempt.program, attempt.arguments);
}
