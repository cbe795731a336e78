// SPDX-License-Identifier: MIT
// Portprov: tests a PC's parallel and game ports at the level of their I/O
// registers, in one window.
#include "cli/PortOperations.h"
#include "desktop/CommandLine.h"
#include "desktop/FontConfigurationReader.h"
#include "desktop/ToolkitTranslations.h"
#include "desktop/WindowsConsole.h"
#include "ports/HardwarePorts.h"
#include "ports/PortIo.h"
#include "ports/ReportedParallelPorts.h"
#include "ports/simulated/SimulatedPc.h"
#include "widgets/ProgramStyle.h"
#include "window/LocaleNumbers.h"
#include "window/WindowFonts.h"
#include "window/frmPortCom.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

namespace {

QString HardwareAccessDescription() {
    const std::string text = portprov::ProbeHardwareAccess() + "\n\n" +
                             portprov::ReportedPortsDescription(portprov::ReportedParallelPorts());
    // The help text puts its own blank line after the description.
    return QString::fromStdString(text).trimmed();
}

void Print(const QString& text, std::FILE* stream) {
    if (windowsconsole::WriteToConsole(stream, text))
        return;
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void Print(const CommandLine& commandLine) {
    Print(*commandLine.textToPrint, commandLine.exitCode == 0 ? stdout : stderr);
}

// Nothing is opened before the first port access.
void SelectPorts(bool simulate, std::optional<portprov::LoopbackPlug> plug) {
    if (simulate)
        portprov::SelectPortBackend([plug] {
            auto pc = std::make_unique<portprov::SimulatedPc>();
            if (plug)
                pc->insertPlug(*plug);
            return pc;
        });
    else
        portprov::SelectPortBackend(portprov::OpenHardwarePorts);
}

// --read and --write, on the same ports the window would use.
int RunPortOperations(const CommandLine& commandLine) {
    SelectPorts(commandLine.simulate, commandLine.plug);
    const std::vector<std::uint16_t> bases = portprov::BasesOf(portprov::ReportedParallelPorts());
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        portprov::RunPortOperations(commandLine.operations, bases, LocaleNumberFormat(), out, err);
    Print(QString::fromStdString(out.str()), stdout);
    Print(QString::fromStdString(err.str()), stderr);
    return status;
}

// Started from the desktop, or with --simulate only, there is nothing to
// answer: the window opens without first building an application object for
// the console.
bool OnlyOpensTheWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--simulate") != 0)
            return false;
    }
    return true;
}

// --help, --version, --read and --write need no screen: they are answered
// before the window toolkit starts. Options of the toolkit itself are looked
// at later.
std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
    if (OnlyOpensTheWindow(argc, argv))
        return std::nullopt;
    QCoreApplication console(argc, argv);
    const ToolkitTranslations swedish;
    const CommandLine commandLine =
        ReadCommandLine(console.arguments(), true, HardwareAccessDescription);
    if (!commandLine.textToPrint && !commandLine.operations.empty())
        return RunPortOperations(commandLine);
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
    windowsconsole::AttachParentConsole();
    QCoreApplication::setApplicationName(QStringLiteral("Portprov"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PORTPROV_VERSION));
    if (const std::optional<int> exitCode = AnswerWithoutWindow(argc, argv))
        return *exitCode;

    FontConfigurationReader fontConfiguration;
    QApplication app(argc, argv);
    const ToolkitTranslations swedish;
    // One look everywhere, so that the colours of the buttons show the same.
    QApplication::setStyle(new ProgramStyle);
    QApplication::setPalette(QApplication::style()->standardPalette());
    windowfonts::RegisterBundledFonts();

    const CommandLine commandLine =
        ReadCommandLine(app.arguments(), false, HardwareAccessDescription);
    if (commandLine.textToPrint) {
        Print(commandLine);
        return commandLine.exitCode;
    }

    SelectPorts(commandLine.simulate, commandLine.plug);

    fontConfiguration.Wait();
    frmPortCom window;
    window.setReportedParallelPorts(portprov::BasesOf(portprov::ReportedParallelPorts()));
    window.adjustSize();
    CentreOnScreen(window);
    window.show();
    return app.exec();
}
