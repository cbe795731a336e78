// SPDX-License-Identifier: MIT
#include "desktop/CommandLine.h"

#include "cli/NearestOption.h"
#include "cli/ProgramOptions.h"
#include "desktop/CommandLineReport.h"
#include "desktop/CommandLineSignals.h"
#include "desktop/RecordOptions.h"
#include "loopback/Plugs.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kBadCommandLine = 2;

// The options the window toolkit takes itself (with one or two dashes), and
// those of them that take the next argument as their value.
const QStringList kToolkitFlags{
    QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
    QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
};
const QStringList kToolkitOptionsWithValue{
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("title"),
    QStringLiteral("qwindowicon"),     QStringLiteral("icon"),
    QStringLiteral("display"),         QStringLiteral("name"),
    QStringLiteral("session"),         QStringLiteral("style"),
    QStringLiteral("stylesheet"),      QStringLiteral("qmljsdebugger"),
};

// The arguments without the toolkit's own options, so that anything else
// unknown can be refused before the toolkit starts (and would fail without a
// screen). "-style=fusion" and "-style fusion" are both the toolkit's.
QStringList WithoutToolkitOptions(const QStringList& arguments) {
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-'))) {
            rest.append(argument);
            continue;
        }
        QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const bool valueAttached = equals >= 0;
        if (valueAttached)
            name.truncate(equals);
        if (kToolkitFlags.contains(name) && !valueAttached)
            continue;
        // Without its value the toolkit would pass it over: refused here.
        if (kToolkitOptionsWithValue.contains(name) &&
            (valueAttached || i + 1 < arguments.size())) {
            if (!valueAttached)
                ++i; // its value
            continue;
        }
        rest.append(argument);
    }
    return rest;
}

// The program's options, declared in the core, in the order the help lists them.
void AddProgramOptions(QCommandLineParser& parser) {
    for (const portprov::OptionDeclaration& option : portprov::ProgramOptions()) {
        QStringList names;
        if (!option.shortName.empty())
            names << QString::fromStdString(option.shortName);
        names << QString::fromStdString(option.name);
        parser.addOption(QCommandLineOption(names, QString::fromStdString(option.help),
                                            QString::fromStdString(option.valueName)));
    }
}

// The arguments with the port operations and --start-write taken out: the
// parser keeps no order between options, and --write and --start-write take
// two numbers.
struct SplitArguments {
    std::vector<portprov::PortOperation> operations;
    std::optional<portprov::PortOperation> startWrite;
    std::optional<std::string> error;
    QStringList others;
};

SplitArguments Split(const QStringList& arguments, bool toolkitOptionsPresent) {
    std::vector<std::string> texts;
    for (const QString& argument : arguments)
        texts.push_back(argument.toStdString());
    portprov::PortOperationArguments split = portprov::TakePortOperations(texts);
    portprov::StartWriteArguments startWrite = portprov::TakeStartWrite(split.others);
    SplitArguments result{std::move(split.operations),
                          std::move(startWrite.write),
                          split.error ? split.error : startWrite.error,
                          {}};
    for (const std::string& text : startWrite.others)
        result.others.append(QString::fromStdString(text));
    // Beside a port operation, a recording or a signal there is no window to take the
    // toolkit's options.
    const auto given = [&texts](const std::string& option) {
        return std::any_of(texts.begin(), texts.end(), [&option](const std::string& text) {
            return text == option || text.rfind(option + "=", 0) == 0;
        });
    };
    const bool recording =
        given("--record") ||
        std::any_of(portprov::kSignalOptions.begin(), portprov::kSignalOptions.end(),
                    [&given](const portprov::SignalOption& signal) {
                        return given(std::string("--") + signal.name);
                    });
    const bool probing =
        std::find(texts.begin(), texts.end(), "--info") != texts.end() || given("--loopback");
    if (toolkitOptionsPresent && result.operations.empty() && !recording && !probing)
        result.others = WithoutToolkitOptions(result.others);
    return result;
}

// The option an argument names, as the parser reads it: "--bogus=1" and
// "-bogus" name "bogus" (one dash takes a whole word here); empty for others.
QString OptionNameOf(const QString& argument) {
    if (argument.size() < 2 || !argument.startsWith(QLatin1Char('-')))
        return {};
    return argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1)
        .section(QLatin1Char('='), 0, 0);
}

// " Menade du --square?" for a mistyped option ("--squre", "-squre"), where
// one of the program's is near enough; which one is meant is named where
// several were mistyped.
QString Hint(const QString& typed, bool several) {
    std::vector<std::string> known;
    for (const portprov::OptionDeclaration& option : portprov::ProgramOptions())
        known.push_back(option.name);
    QString name = typed;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    std::vector<std::string> nearest = portprov::NearestNames(name.toStdString(), known);
    if (nearest.empty())
        return {};
    for (std::string& option : nearest)
        option.insert(0, "--");
    const QString meant = QString::fromStdString(portprov::Listed(nearest, " eller "));
    return several ? QString::fromUtf8(" Menade du %1 i stället för %2?").arg(meant, typed)
                   : QString::fromUtf8(" Menade du %1?").arg(meant);
}

// The parser's complaint, with unknown options named as they were typed
// ("--bogus", "-x"): the parser drops the dashes, and a user who looks on
// the line for "bogus" may well find it in a value. A complaint of another
// kind is the parser's own, which comes first as the parser has it.
QString ParseErrorText(const QCommandLineParser& parser, const QStringList& arguments) {
    const QStringList unknown = parser.unknownOptionNames();
    const QString parserText = parser.errorText();
    const char* const context = "QCommandLineParser";
    const QString parserUnknown =
        unknown.size() == 1
            ? QCoreApplication::translate(context, "Unknown option '%1'.").arg(unknown.first())
            : QCoreApplication::translate(context, "Unknown options: %1.")
                  .arg(unknown.join(QStringLiteral(", ")));
    if (unknown.isEmpty() || parserText != parserUnknown)
        return parserText;
    // The parser names them in the order of the arguments.
    QStringList typed;
    qsizetype next = 1;
    for (const QString& name : unknown) {
        qsizetype at = next;
        while (at < arguments.size() && arguments[at] != QStringLiteral("--") &&
               OptionNameOf(arguments[at]) != name)
            ++at;
        const bool found = at < arguments.size() && arguments[at] != QStringLiteral("--");
        typed.append(found ? arguments[at].section(QLatin1Char('='), 0, 0) : name);
        if (found)
            next = at + 1;
    }
    if (typed.size() == 1)
        return QString::fromUtf8("Okänd flagga '%1'.").arg(typed.first()) +
               Hint(typed.first(), false);
    QString text = QString::fromUtf8("Okända flaggor: %1.").arg(typed.join(QStringLiteral(", ")));
    for (const QString& option : typed)
        text += Hint(option, true);
    return text;
}

CommandLine BadCommandLine(const QString& text) {
    CommandLine result;
    result.textToPrint = text;
    result.exitCode = kBadCommandLine;
    return result;
}

// --plug: the wiring in the simulated port, or the refusal (empty when none).
QString ReadPlug(const QCommandLineParser& parser, CommandLine& result) {
    const QString plug = QStringLiteral("plug");
    if (!parser.isSet(plug))
        return {};
    QStringList wirings = parser.values(plug);
    wirings.removeDuplicates();
    const QString wiring = wirings.constFirst();
    if (wirings.size() > 1)
        return QString::fromUtf8("--plug står med olika kopplingar: %1 (välj en)\n")
            .arg(wirings.join(QStringLiteral(", ")));
    if (!result.simulate)
        return QString::fromUtf8("--plug fungerar bara med --simulate.\n");
    if (wiring == QLatin1String("printer")) {
        result.printer = true;
        return {};
    }
    if (const auto chosen = portprov::PlugForOption(wiring.toStdString())) {
        result.plug = chosen;
        return {};
    }
    std::vector<std::string> choices = portprov::PlugChoices(false);
    choices.push_back("printer");
    return QString::fromUtf8("Okänd koppling: %1 (välj %2)\n")
        .arg(wiring, QString::fromStdString(portprov::Listed(choices, " eller ")));
}

// What the parsed options ask for without the window, once --help and
// --version are answered.
CommandLine ReadRequests(const QCommandLineParser& parser, SplitArguments split) {
    CommandLine result;
    result.simulate = parser.isSet(QStringLiteral("simulate"));
    result.operations = std::move(split.operations);
    result.info = parser.isSet(QStringLiteral("info"));
    SignalOptions signal = ReadSignalOptions(parser, !result.operations.empty() || result.info);
    if (!signal.error.isEmpty())
        return BadCommandLine(signal.error + QLatin1Char('\n'));
    result.generate = std::move(signal.request);
    RecordOptions record =
        ReadRecordOptions(parser, std::move(split.startWrite), result.simulate,
                          !result.operations.empty(), result.generate.has_value());
    if (!record.error.isEmpty())
        return BadCommandLine(record.error + QLatin1Char('\n'));
    result.record = std::move(record.request);
    result.stick = record.stick;
    if (result.info && (!result.operations.empty() || result.record))
        return BadCommandLine(
            QString::fromUtf8("--info kan inte stå med --read, --write eller --record.\n"));
    result.loopback = ReadLoopbackOptions(parser, result.simulate,
                                          !result.operations.empty() || result.info ||
                                              result.record || result.generate);
    if (!result.loopback.error.isEmpty())
        return BadCommandLine(result.loopback.error + QLatin1Char('\n'));
    const ReportOption report = ReadReportOption(parser, result.record && result.record->expect,
                                                 result.loopback.plug.has_value());
    if (!report.error.isEmpty())
        return BadCommandLine(report.error + QLatin1Char('\n'));
    result.report = report.path;
    if (const QString refusal = ReadPlug(parser, result); !refusal.isEmpty()) {
        result.textToPrint = refusal;
        result.exitCode = kBadCommandLine;
    }
    return result;
}

} // namespace

CommandLine ReadCommandLine(const QStringList& arguments, bool toolkitOptionsPresent,
                            QString (*accessDescription)(bool simulate)) {
    QCommandLineParser parser;
    // "-platform" is one option, as the toolkit reads it, not seven letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QString::fromUtf8("Portprov läser och skriver en byte i taget i parallellportens och "
                          "spelportens register."));
    AddProgramOptions(parser);
    SplitArguments split = Split(arguments, toolkitOptionsPresent);

    // An unknown option or argument is a bad command line also beside --help
    // or --version: a script that misspells an option must not pass.
    if (!parser.parse(split.others))
        return BadCommandLine(ParseErrorText(parser, split.others) + QLatin1Char('\n'));
    if (!parser.positionalArguments().isEmpty())
        return BadCommandLine(QString::fromUtf8("Okänt argument: %1\n")
                                  .arg(parser.positionalArguments().join(QLatin1Char(' '))));
    CommandLine result;
    result.simulate = parser.isSet(QStringLiteral("simulate"));
    if (parser.isSet(QStringLiteral("help"))) {
        parser.setApplicationDescription(parser.applicationDescription() + QStringLiteral("\n\n") +
                                         accessDescription(result.simulate));
        result.textToPrint = parser.helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.textToPrint = QCoreApplication::applicationName() + QLatin1Char(' ') +
                             QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    if (split.error)
        return BadCommandLine(QString::fromStdString(*split.error) + QLatin1Char('\n'));
    return ReadRequests(parser, std::move(split));
}
