// SPDX-License-Identifier: MIT
#include "desktop/CommandLineSignals.h"

#include <QCommandLineParser>

namespace {

QString Swedish(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

SignalOptions::SignalOptions()
    : port_(QStringLiteral("port"),
            Swedish("Parallellporten som --square, --pulses och --play driver, med sin bas "
                    "(standard 888)."),
            Swedish("bas")),
      square_(QStringLiteral("square"),
              Swedish("Fyrkantsvåg på utgångsstiftet, 1 till 100000 Hz, hög PULSKVOT procent "
                      "av varje period (standard 50), i --duration sekunder (standard 1), "
                      "utan fönster. Med --record spelas svaret in under tiden."),
              Swedish("stift:hz[:pulskvot]")),
      pulses_(QStringLiteral("pulses"),
              Swedish("ANTAL pulser (1 till 1000000000) på utgångsstiftet med HZ pulser i "
                      "sekunden; stiftet slutar i sin vilonivå. Utan fönster."),
              Swedish("stift:antal:hz")),
      play_(QStringLiteral("play"),
            Swedish("Spela upp en CSV-fil i inspelningens form (tid_s, sedan kolumner som "
                    "stift2_d0) på portens utgångar, utan fönster; ingångarnas kolumner hoppas "
                    "över."),
            Swedish("fil")) {}

void SignalOptions::addTo(QCommandLineParser& parser) const {
    for (const QCommandLineOption* option : {&square_, &pulses_, &play_, &port_})
        parser.addOption(*option);
}

SignalOptions::Read SignalOptions::read(const QCommandLineParser& parser,
                                        bool otherCommands) const {
    Read result;
    using Kind = portprov::GenerateRequest::Kind;
    const std::pair<Kind, const QCommandLineOption*> kinds[] = {
        {Kind::Square, &square_}, {Kind::Pulses, &pulses_}, {Kind::Play, &play_}};
    qsizetype given = 0;
    portprov::GenerateRequest request;
    for (const auto& [kind, option] : kinds) {
        given += parser.values(*option).size();
        if (parser.isSet(*option)) {
            request.kind = kind;
            request.signal = parser.value(*option).toStdString();
        }
    }
    if (given == 0) {
        if (parser.isSet(port_))
            result.error = Swedish("--port hör till --square, --pulses eller --play.");
        return result;
    }
    const auto once = [&parser](const QString& name) { return parser.values(name).size() <= 1; };
    if (given > 1)
        result.error = Swedish("Välj en signal: --square, --pulses eller --play, en gång.");
    else if (otherCommands)
        result.error = Swedish("--square, --pulses och --play kan inte stå med --read, --write "
                               "eller --info.");
    else if (!once(QStringLiteral("port")) || !once(QStringLiteral("duration")))
        result.error = Swedish("--port och --duration får stå en gång var.");
    else if (parser.isSet(QStringLiteral("samples")))
        result.error = Swedish("--samples kan inte stå med en signal: inspelningens längd är "
                               "--duration.");
    if (!result.error.isEmpty())
        return result;
    if (parser.isSet(port_))
        request.port = parser.value(port_).toStdString();
    if (parser.isSet(QStringLiteral("duration")))
        request.duration = parser.value(QStringLiteral("duration")).toStdString();
    result.request = std::move(request);
    return result;
}
