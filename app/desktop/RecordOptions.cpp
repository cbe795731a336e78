// SPDX-License-Identifier: MIT
#include "desktop/RecordOptions.h"

#include "cli/ProgramOptions.h"
#include "recording/RecordingFormats.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <string>
#include <vector>

namespace {

QString Swedish(const char* text) {
    return QString::fromUtf8(text);
}

QString Swedish(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "--vcd och --csv", "--vcd FIL eller --csv FIL": the file options listed.
QString FilesListed(const char* suffix, std::string_view last) {
    return Swedish(portprov::Listed(portprov::FileOptions(suffix), last));
}

// The options of the file kinds given: one at least; each is saved.
std::vector<const portprov::RecordingFormat*> FilesGiven(const QCommandLineParser& parser) {
    std::vector<const portprov::RecordingFormat*> given;
    for (const portprov::RecordingFormat& format : portprov::RecordingFormats())
        if (parser.isSet(Swedish(format.option)))
            given.push_back(&format);
    return given;
}

// --stick=X,Y, with --simulate only.
void ReadStick(const QCommandLineParser& parser, bool simulate, RecordOptions& result) {
    const QString stick = QStringLiteral("stick");
    if (!parser.isSet(stick))
        return;
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(\\d{1,3}),(\\d{1,3})$"))
            .match(parser.values(stick).constLast());
    const int x = match.captured(1).toInt();
    const int y = match.captured(2).toInt();
    if (!simulate)
        result.error = Swedish("--stick fungerar bara med --simulate.");
    else if (parser.values(stick).size() > 1 || !match.hasMatch() || x > 100 || y > 100)
        result.error = Swedish("--stick tar X,Y i procent, 0 till 100, en gång: till "
                               "exempel --stick=0,100");
    else
        result.stick = std::pair{x, y};
}

} // namespace

RecordOptions ReadRecordOptions(const QCommandLineParser& parser,
                                std::optional<portprov::PortOperation> startWrite, bool simulate,
                                bool portOperations, bool signal) {
    RecordOptions result;
    ReadStick(parser, simulate, result);
    if (!result.error.isEmpty())
        return result;
    const QString record = QStringLiteral("record"), duration = QStringLiteral("duration"),
                  samples = QStringLiteral("samples"), rate = QStringLiteral("rate"),
                  trigger = QStringLiteral("trigger"), expect = QStringLiteral("expect"),
                  tolerance = QStringLiteral("tolerance");
    const bool recording = parser.isSet(record);
    const std::vector<const portprov::RecordingFormat*> files = FilesGiven(parser);
    const bool detail = (parser.isSet(duration) && !signal) || parser.isSet(samples) ||
                        parser.isSet(rate) || parser.isSet(trigger) || !files.empty() ||
                        parser.isSet(expect) || parser.isSet(tolerance) || startWrite.has_value();
    if (!recording) {
        if (detail)
            result.error = Swedish("--duration, --samples, --rate, --trigger, --start-write, ") +
                           FilesListed("", ", ") +
                           Swedish(", --expect och --tolerance hör till "
                                   "--record.");
        return result;
    }
    const auto once = [&parser](const QString& option) {
        return parser.values(option).size() <= 1;
    };
    if (portOperations)
        result.error = Swedish("--record kan inte stå med --read eller --write.");
    else if (files.empty() && !parser.isSet(expect))
        result.error = Swedish("--record behöver en fil att spara i eller en att jämföra med: "
                               "skriv minst en av ") +
                       FilesListed(" FIL", ", ") + Swedish(" och --expect FIL.");
    else if (parser.isSet(tolerance) && !parser.isSet(expect))
        result.error = Swedish("--tolerance hör till --expect.");
    // The verdicts go to the standard output, and would run into the file.
    else if (parser.isSet(expect) &&
             std::any_of(files.begin(), files.end(), [&parser](const auto* format) {
                 return parser.value(Swedish(format->option)) == QStringLiteral("-");
             }))
        result.error = Swedish("--expect skriver sina resultat på standard ut: spara "
                               "inspelningen i en fil, inte i -.");
    else if (parser.isSet(duration) && parser.isSet(samples))
        result.error = Swedish("Välj inspelningens längd med --duration eller --samples, "
                               "inte båda.");
    else if (!once(duration) || !once(samples) || !once(rate) || !once(trigger) || !once(expect) ||
             !once(tolerance) ||
             std::any_of(files.begin(), files.end(),
                         [&once](const auto* format) { return !once(Swedish(format->option)); }))
        result.error = Swedish("--duration, --samples, --rate, --trigger, ") +
                       FilesListed("", ", ") +
                       Swedish(", --expect och --tolerance får stå en "
                               "gång var.");
    if (!result.error.isEmpty())
        return result;

    portprov::RecordRequest request;
    for (const QString& address : parser.values(record))
        request.addresses.push_back(address.toStdString());
    const auto value = [&parser](const QString& option) -> std::optional<std::string> {
        if (!parser.isSet(option))
            return std::nullopt;
        return parser.value(option).toStdString();
    };
    request.duration = value(duration);
    request.samples = value(samples);
    request.rate = value(rate);
    request.trigger = value(trigger);
    request.expect = value(expect);
    request.tolerance = value(tolerance);
    request.startWrite = std::move(startWrite);
    for (const portprov::RecordingFormat* format : files)
        request.files.push_back(
            {format->kind, parser.value(Swedish(format->option)).toStdString()});
    result.request = std::move(request);
    return result;
}
