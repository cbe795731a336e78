// SPDX-License-Identifier: MIT
#include "desktop/RecordOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

QString Swedish(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

RecordOptions::RecordOptions()
    : record_(QStringLiteral("record"),
              Swedish("Spela in registret på adressen, utan fönster; kan upprepas. Kräver --vcd "
                      "eller --csv."),
              Swedish("adress")),
      duration_(QStringLiteral("duration"), Swedish("Inspelningens längd (standard 1 sekund)."),
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
      vcd_(QStringLiteral("vcd"), Swedish("Spara inspelningen som VCD (PulseView, GTKWave)."),
           Swedish("fil")),
      csv_(QStringLiteral("csv"), Swedish("Spara inspelningen som CSV."), Swedish("fil")),
      stick_(QStringLiteral("stick"),
             Swedish("Med --simulate: styrspak A på X,Y procent av sitt utslag (standard "
                     "50,50)."),
             Swedish("x,y")) {}

void RecordOptions::addTo(QCommandLineParser& parser) const {
    for (const QCommandLineOption* option :
         {&record_, &duration_, &samples_, &rate_, &startWrite_, &trigger_, &vcd_, &csv_, &stick_})
        parser.addOption(*option);
}

RecordOptions::Read RecordOptions::read(const QCommandLineParser& parser,
                                        std::optional<portprov::PortOperation> startWrite,
                                        bool simulate, bool portOperations) const {
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
    const bool detail = parser.isSet(duration_) || parser.isSet(samples_) || parser.isSet(rate_) ||
                        parser.isSet(trigger_) || parser.isSet(vcd_) || parser.isSet(csv_) ||
                        startWrite.has_value();
    if (!recording) {
        if (detail)
            result.error = Swedish("--duration, --samples, --rate, --trigger, --start-write, "
                                   "--vcd och --csv hör till --record.");
        return result;
    }
    const auto once = [&parser](const QCommandLineOption& option) {
        return parser.values(option).size() <= 1;
    };
    if (portOperations)
        result.error = Swedish("--record kan inte stå med --read eller --write.");
    else if (parser.isSet(vcd_) == parser.isSet(csv_))
        result.error = Swedish("--record sparar i en fil: skriv --vcd FIL eller --csv FIL.");
    else if (parser.isSet(duration_) && parser.isSet(samples_))
        result.error = Swedish("Välj inspelningens längd med --duration eller --samples, "
                               "inte båda.");
    else if (!once(duration_) || !once(samples_) || !once(rate_) || !once(trigger_) ||
             !once(vcd_) || !once(csv_))
        result.error = Swedish("--duration, --samples, --rate, --trigger, --vcd och --csv "
                               "får stå en gång var.");
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
    request.fileKind = parser.isSet(vcd_) ? portprov::FileKind::Vcd : portprov::FileKind::Csv;
    request.file = parser.value(parser.isSet(vcd_) ? vcd_ : csv_).toStdString();
    result.request = std::move(request);
    return result;
}
