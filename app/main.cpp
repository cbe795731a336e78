// SPDX-License-Identifier: MIT
// Portprov: tests a PC's parallel and game ports at the level of their I/O
// registers, in one window.
#include "cli/GenerateCommand.h"
#include "cli/InfoCommand.h"
#include "cli/LoopbackCommand.h"
#include "cli/PortOperations.h"
#include "cli/RecordCommand.h"
#include "desktop/CommandLine.h"
#include "desktop/FontConfigurationReader.h"
#include "desktop/NoScreenGuard.h"
#include "desktop/ToolkitTranslations.h"
#include "desktop/WindowsConsole.h"
#include "hardware/HardwarePorts.h"
#include "ports/KernelPortAccount.h"
#include "ports/ParallelPorts.h"
#include "ports/PortIo.h"
#include "ports/ReportedParallelPorts.h"
#include "ports/simulated/SimulatedPc.h"
#include "report/ReportSaving.h"
#include "process/RaisedRights.h"
#include "report/RunReports.h"
#include "widgets/ProgramStyle.h"
#include "window/LocaleNumbers.h"
#include "window/WindowFonts.h"
#include "window/frmPortCom.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>

namespace {

// The way to the ports; with --simulate the real ports are not even probed.
std::string WayToPorts(bool simulate) {
    return simulate ? "Portarna nås i en simulerad PC (--simulate): parallellportarna 888, 632 "
                      "och 956 och spelporten 512-519 finns bara i minnet, och datorns egna "
                      "portar rörs inte."
                    : portprov::ProbeHardwareAccess();
}

QString AccessDescription(bool simulate) {
    const std::string text = WayToPorts(simulate) + "\n\n" +
                             portprov::ReportedPortsDescription(portprov::ReportedParallelPorts());
    // The help text puts its own blank line after the description.
    return QString::fromStdString(text).trimmed();
}

// False when the text did not get out (a full disk, a closed pipe).
bool Print(const QString& text, std::FILE* stream) {
    if (windowsconsole::WriteToConsole(stream, text))
        return true;
    const QByteArray bytes = text.toLocal8Bit();
    const auto size = static_cast<std::size_t>(bytes.size());
    return std::fwrite(bytes.constData(), 1, size, stream) == size && std::fflush(stream) == 0;
}

// Text that did not get out fails a run that would have ended well.
int Print(const CommandLine& commandLine) {
    const bool ok = commandLine.exitCode == 0;
    const bool printed = Print(*commandLine.textToPrint, ok ? stdout : stderr);
    return ok && !printed ? 1 : commandLine.exitCode;
}

// Prints what the port operations write at each flush, that is as each
// operation ends, so that a run cut short has shown what it did and stdout
// and stderr come in the order of the operations. A failed print fails the
// stream, which ends the run.
class PrintingBuffer : public std::streambuf {
public:
    explicit PrintingBuffer(std::FILE* stream) : stream_(stream) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            pending_.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        const bool printed = Print(QString::fromStdString(pending_), stream_);
        pending_.clear();
        return printed ? 0 : -1;
    }

private:
    std::FILE* stream_;
    std::string pending_;
};

// Nothing is opened before the first port access.
void SelectPorts(const CommandLine& commandLine) {
    if (commandLine.simulate)
        portprov::SelectPortBackend([plug = commandLine.plug, printer = commandLine.printer,
                                     stick = commandLine.stick,
                                     faults = commandLine.loopback.faults] {
            auto pc = std::make_unique<portprov::SimulatedPc>();
            if (plug)
                pc->insertPlug(*plug);
            if (printer)
                pc->attachPrinter();
            if (stick)
                pc->setJoystickA(stick->first, stick->second);
            for (const portprov::PinFault& fault : faults)
                pc->addFault(fault);
            return pc;
        });
    else
        portprov::SelectPortBackend(portprov::OpenHardwarePorts);
}

// --report: what only the program knows of the run; the command adds the
// port and the signal.
std::optional<portprov::RunReport> ReportOf(const CommandLine& commandLine) {
    if (!commandLine.report)
        return std::nullopt;
    portprov::ReportFacts facts;
    facts.when = std::chrono::system_clock::now();
    facts.version = "Portprov " PORTPROV_VERSION;
    facts.way = WayToPorts(commandLine.simulate);
    if (commandLine.record && commandLine.record->expect)
        facts.reference = *commandLine.record->expect;
    return portprov::ReportTo(*commandLine.report, std::move(facts));
}

// --record: a recording saved to a file, with its summary on standard error.
int RunRecording(const CommandLine& commandLine) {
    SelectPorts(commandLine);
    const std::vector<std::uint16_t> bases = portprov::BasesOf(portprov::ReportedParallelPorts());
    PrintingBuffer outBuffer(stdout);
    PrintingBuffer errBuffer(stderr);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    portprov::RecordRequest request = *commandLine.record;
    request.report = ReportOf(commandLine);
    return portprov::RunRecordCommand(request, bases, LocaleNumberFormat(),
                                      "Portprov " PORTPROV_VERSION, out, err);
}

// --square, --pulses, --play: a signal, with a recording beside it when asked
// for, and their summaries on standard error.
int RunSignal(const CommandLine& commandLine) {
    SelectPorts(commandLine);
    const std::vector<std::uint16_t> bases = portprov::BasesOf(portprov::ReportedParallelPorts());
    PrintingBuffer outBuffer(stdout);
    PrintingBuffer errBuffer(stderr);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    std::optional<portprov::RecordRequest> record = commandLine.record;
    if (record)
        record->report = ReportOf(commandLine);
    return portprov::RunGenerateCommand(*commandLine.generate, record, bases, LocaleNumberFormat(),
                                        "Portprov " PORTPROV_VERSION, out, err);
}

// --info: the simulated PC's three ports, or the usual ones and those the
// system reports, with the kernel's account of each.
int RunInfo(const CommandLine& commandLine) {
    SelectPorts(commandLine);
    std::vector<std::uint16_t> bases = portprov::KnownParallelBases({});
    std::vector<portprov::KernelPortAccount> accounts;
    if (!commandLine.simulate) {
        bases = portprov::KnownParallelBases(portprov::BasesOf(portprov::ReportedParallelPorts()));
        accounts = portprov::KernelPortAccounts();
    }
    PrintingBuffer outBuffer(stdout);
    PrintingBuffer errBuffer(stderr);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    return portprov::RunInfoCommand(bases, accounts, out, err);
}

// --loopback: the test's plan is checked before the first port access.
int RunLoopback(const CommandLine& commandLine) {
    const LoopbackOptions& options = commandLine.loopback;
    auto checked =
        portprov::CheckLoopbackRequest(*options.plug, options.port, LocaleNumberFormat());
    if (const auto* refusal = std::get_if<std::string>(&checked)) {
        Print(QString::fromStdString(*refusal + "\n"), stderr);
        return 2;
    }
    auto& plan = std::get<portprov::LoopbackPlan>(checked);
    plan.repeat = options.repeat;
    plan.report = ReportOf(commandLine);
    SelectPorts(commandLine);
    PrintingBuffer outBuffer(stdout);
    PrintingBuffer errBuffer(stderr);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    return portprov::RunLoopbackCommand(plan, out, err);
}

// --read and --write, on the same ports the window would use.
int RunPortOperations(const CommandLine& commandLine) {
    SelectPorts(commandLine);
    const std::vector<std::uint16_t> bases = portprov::BasesOf(portprov::ReportedParallelPorts());
    PrintingBuffer outBuffer(stdout);
    PrintingBuffer errBuffer(stderr);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    return portprov::RunPortOperations(commandLine.operations, bases, LocaleNumberFormat(), out,
                                       err);
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

// --help, --version, --read, --write, --record, the signals, --info and --loopback need no
// screen: they are answered before the window toolkit starts. Options of the
// toolkit itself are looked at later.
std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
    if (OnlyOpensTheWindow(argc, argv))
        return std::nullopt;
    QCoreApplication console(argc, argv);
    const ToolkitTranslations swedish;
    const CommandLine commandLine = ReadCommandLine(console.arguments(), true, AccessDescription);
    if (!commandLine.textToPrint && !commandLine.operations.empty())
        return RunPortOperations(commandLine);
    if (!commandLine.textToPrint && commandLine.generate)
        return RunSignal(commandLine);
    if (!commandLine.textToPrint && commandLine.record)
        return RunRecording(commandLine);
    if (!commandLine.textToPrint && commandLine.info)
        return RunInfo(commandLine);
    if (!commandLine.textToPrint && commandLine.loopback.plug)
        return RunLoopback(commandLine);
    if (!commandLine.textToPrint)
        return std::nullopt;
    return Print(commandLine);
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
    // Before anything reads the environment: any caller can steer the window
    // toolkit through it (QT_QPA_PLATFORM_PLUGIN_PATH, fonts, styles, input
    // methods), so a program with a toolkit never keeps rights raised by its
    // file (setcap, setuid). Port rights belong to the small helper
    // portprov-io.
    portprov::DropRaisedRights();
    windowsconsole::AttachParentConsole();
    QCoreApplication::setApplicationName(QStringLiteral("Portprov"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PORTPROV_VERSION));
    if (const std::optional<int> exitCode = AnswerWithoutWindow(argc, argv))
        return *exitCode;

    FontConfigurationReader fontConfiguration;
    SayLostScreenInSwedish();
    std::optional<NoScreenGuard> noScreen(std::in_place);
    QApplication app(argc, argv);
    noScreen.reset();
    const ToolkitTranslations swedish;
    // One look everywhere, so that the colours of the buttons show the same.
    QApplication::setStyle(new ProgramStyle);
    QApplication::setPalette(QApplication::style()->standardPalette());
    windowfonts::RegisterBundledFonts();

    const CommandLine commandLine = ReadCommandLine(app.arguments(), false, AccessDescription);
    if (commandLine.textToPrint)
        return Print(commandLine);

    SelectPorts(commandLine);

    fontConfiguration.Wait();
    // A report saved from a dialog names the way; asked for only then.
    SetReportWayToPorts([simulate = commandLine.simulate] { return WayToPorts(simulate); });
    frmPortCom window;
    window.setReportedParallelPorts(portprov::BasesOf(portprov::ReportedParallelPorts()));
    if (!commandLine.simulate)
        window.setKernelAccountReader(portprov::KernelPortAccounts);
    window.adjustSize();
    CentreOnScreen(window);
    window.show();
    return app.exec();
}
