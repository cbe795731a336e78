// SPDX-License-Identifier: MIT
#include "desktop/RecordOptions.h"

#include "cli/GenerateRequest.h"
#include "recording/RecordingFormats.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>

namespace {

QString Swedish(const char* text) {
    return QString::fromUtf8(text);
}

QString Swedish(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "--vcd och --csv", "--vcd FIL eller --csv FIL": the file options listed.
QString Listed(const QStringList& items, const char* last) {
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? Swedish(last) : QStringLiteral(", ");
        text += items[i];
    }
    return text;
}

QStringList FileOptions(const char* suffix) {
    QStringList options;
    for (const portprov::RecordingFormat& format : portprov::RecordingFormats())
        options << QStringLiteral("--") + Swedish(format.option) + Swedish(suffix);
    return options;
}

} // namespace

RecordOptions::RecordOptions()
    : record_(QStringLiteral("record"),
              Swedish("Spela in registret på adressen, utan fönster; kan upprepas. Kräver ") +
                  Listed(FileOptions(""), " eller ") + QStringLiteral("."),
              Swedish("adress")),
      duration_(QStringLiteral("duration"),
                Swedish("Inspelningens längd (standard 1 sekund). Med --square vågens längd "
                        "(standard 1 sekund); med ") +
                    Swedish(portprov::SignalOptionNames("och", true)) +
                    Swedish(" inspelningens, minst signalens (standard: signalens)."),
                Swedish("sekunder")),
      samples_(QStringLiteral("samples"), Swedish("Inspelningens längd i antal mätningar."),
               Swedish("antal")),
      rate_(QStringLiteral("rate"),
            Swedish("Mät med fast takt, 1000 till 1000000 gånger i sekunden (standard: så "
                    "fort vägen till porten medger)."),
            Swedish("hz")),
      // Only for the help: it is taken out before the parser, with its two numbers.
      startWrite_(QStringLiteral("start-write"),
                  Swedish("Skriv värdet till adressen just innan mätningen börjar (513 startar "
                          "spelportens tidtagning)."),
                  Swedish("adress> <värde")),
      trigger_(QStringLiteral("trigger"),
               Swedish("Börja vid en flank på stiftet, rise eller fall, och spara en tiondel "
                       "från före den. Finns stiftet på flera av de inspelade portarna, skriv "
                       "portens adress först (513:3:fall)."),
               Swedish("[adress:]stift:rise|fall")),
      stick_(QStringLiteral("stick"),
             Swedish("Med --simulate: styrspak A på X,Y procent av sitt utslag (standard "
                     "50,50)."),
             Swedish("x,y")) {
    for (const portprov::RecordingFormat& format : portprov::RecordingFormats())
        files_.emplace_back(
            format.kind,
            QCommandLineOption(Swedish(format.option), Swedish(format.optionHelp), Swedish("fil")));
}

void RecordOptions::addTo(QCommandLineParser& parser) const {
    for (const QCommandLineOption* option :
         {&record_, &duration_, &samples_, &rate_, &startWrite_, &trigger_})
        parser.addOption(*option);
    for (const auto& file : files_)
        parser.addOption(file.second);
    parser.addOption(stick_);
}

std::vector<const QCommandLineOption*>
RecordOptions::filesGiven(const QCommandLineParser& parser) const {
    std::vector<const QCommandLineOption*> given;
    for (const auto& file : files_)
        if (parser.isSet(file.second))
            given.push_back(&file.second);
    return given;
}

RecordOptions::Read RecordOptions::read(const QCommandLineParser& parser,
                                        std::optional<portprov::PortOperation> startWrite,
                                        bool simulate, bool portOperations, bool signal) const {
    Read result;
    if (parser.isSet(stick_)) {
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^(\\d{1,3}),(\\d{1,3})$"))
                .match(parser.values(stick_).constLast());
        const int x = match.captured(1).toInt();
        const int y = match.captured(2).toInt();
        if (!simulate)
            result.error = Swedish("--stick fungerar bara med --simulate.");
        else if (parser.values(stick_).size() > 1 || !match.hasMatch() || x > 100 || y > 100)
            result.error = Swedish("--stick tar X,Y i procent, 0 till 100, en gång: till "
                                   "exempel --stick=0,100");
        else
            result.stick = std::pair{x, y};
        if (!result.error.isEmpty())
            return result;
    }
    const bool recording = parser.isSet(record_);
    const std::vector<const QCommandLineOption*> files = filesGiven(parser);
    const bool detail = (parser.isSet(duration_) && !signal) || parser.isSet(samples_) ||
                        parser.isSet(rate_) || parser.isSet(trigger_) || !files.empty() ||
                        startWrite.has_value();
    if (!recording) {
        if (detail)
            result.error = Swedish("--duration, --samples, --rate, --trigger, --start-write, ") +
                           Listed(FileOptions(""), " och ") + Swedish(" hör till --record.");
        return result;
    }
    const auto once = [&parser](const QCommandLineOption& option) {
        return parser.values(option).size() <= 1;
    };
    if (portOperations)
        result.error = Swedish("--record kan inte stå med --read eller --write.");
    else if (files.size() != 1)
        result.error = Swedish("--record sparar i en fil: skriv ") +
                       Listed(FileOptions(" FIL"), " eller ") + QStringLiteral(".");
    else if (parser.isSet(duration_) && parser.isSet(samples_))
        result.error = Swedish("Välj inspelningens längd med --duration eller --samples, "
                               "inte båda.");
    else if (!once(duration_) || !once(samples_) || !once(rate_) || !once(trigger_) ||
             !once(*files.front()))
        result.error = Swedish("--duration, --samples, --rate, --trigger, ") +
                       Listed(FileOptions(""), " och ") + Swedish(" får stå en gång var.");
    if (!result.error.isEmpty())
        return result;

    portprov::RecordRequest request;
    for (const QString& address : parser.values(record_))
        request.addresses.push_back(address.toStdString());
    const auto value = [&parser](const QCommandLineOption& option) -> std::optional<std::string> {
        if (!parser.isSet(option))
            return std::nullopt;
        return parser.value(option).toStdString();
    };
    request.duration = value(duration_);
    request.samples = value(samples_);
    request.rate = value(rate_);
    request.trigger = value(trigger_);
    request.startWrite = std::move(startWrite);
    for (const auto& [kind, option] : files_)
        if (&option == files.front())
            request.fileKind = kind;
    request.file = parser.value(*files.front()).toStdString();
    result.request = std::move(request);
    return result;
}
