// SPDX-License-Identifier: MIT
// Portprov: tests a PC's parallel and game ports at the level of their I/O
// registers, in one window.
#include "desktop/CommandLine.h"
#include "desktop/SwedishToolkitTexts.h"
#include "ports/HardwarePorts.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"
#include "window/frmPortCom.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>

#include <cstdio>
#include <memory>

namespace {

QString HardwareAccessDescription() {
    return QString::fromStdString(portprov::ProbeHardwareAccess());
}

void Print(const CommandLine& commandLine) {
    const QByteArray text = commandLine.textToPrint->toLocal8Bit();
    std::FILE* stream = commandLine.exitCode == 0 ? stdout : stderr;
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stream);
    std::fflush(stream);
}

// --help and --version need no screen: they are answered before the window
// toolkit starts. Options of the toolkit itself are looked at later.
std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
    QCoreApplication console(argc, argv);
    SwedishToolkitTexts swedish;
    QCoreApplication::installTranslator(&swedish);
    const CommandLine commandLine =
        ReadCommandLine(console.arguments(), true, HardwareAccessDescription);
    if (!commandLine.textToPrint)
        return std::nullopt;
    Print(commandLine);
    return commandLine.exitCode;
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           screen->availableGeometry()));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Portprov"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PORTPROV_VERSION));
    if (const std::optional<int> exitCode = AnswerWithoutWindow(argc, argv))
        return *exitCode;

    QApplication app(argc, argv);
    SwedishToolkitTexts swedish;
    QCoreApplication::installTranslator(&swedish);
    // One look everywhere, so that the colours of the buttons show the same.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());

    const CommandLine commandLine =
        ReadCommandLine(app.arguments(), false, HardwareAccessDescription);
    if (commandLine.textToPrint) {
        Print(commandLine);
        return commandLine.exitCode;
    }

    // Nothing is opened before the first port access.
    if (commandLine.simulate)
        portprov::SelectPortBackend([] { return std::make_unique<portprov::SimulatedPc>(); });
    else
        portprov::SelectPortBackend(portprov::OpenHardwarePorts);

    frmPortCom window;
    window.adjustSize();
    CentreOnScreen(window);
    window.show();
    return app.exec();
}
