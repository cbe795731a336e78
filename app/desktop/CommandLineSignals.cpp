// SPDX-License-Identifier: MIT
#include "desktop/CommandLineSignals.h"

#include <QCommandLineParser>

namespace {

QString Swedish(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

SignalOptions ReadSignalOptions(const QCommandLineParser& parser, bool otherCommands) {
    SignalOptions result;
    const QString port = QStringLiteral("port");
    using Kind = portprov::GenerateRequest::Kind;
    const std::pair<Kind, QString> kinds[] = {{Kind::Square, QStringLiteral("square")},
                                              {Kind::Pulses, QStringLiteral("pulses")},
                                              {Kind::Play, QStringLiteral("play")}};
    qsizetype given = 0;
    portprov::GenerateRequest request;
    for (const auto& [kind, option] : kinds) {
        given += parser.values(option).size();
        if (parser.isSet(option)) {
            request.kind = kind;
            request.signal = parser.value(option).toStdString();
        }
    }
    if (given == 0) {
        if (parser.isSet(port))
            result.error = Swedish("--port hör till --square, --pulses eller --play.");
        return result;
    }
    const auto once = [&parser](const QString& name) { return parser.values(name).size() <= 1; };
    if (given > 1)
        result.error = Swedish("Välj en signal: --square, --pulses eller --play, en gång.");
    else if (otherCommands)
        result.error = Swedish("--square, --pulses och --play kan inte stå med --read, --write "
                               "eller --info.");
    else if (!once(port) || !once(QStringLiteral("duration")))
        result.error = Swedish("--port och --duration får stå en gång var.");
    else if (parser.isSet(QStringLiteral("samples")))
        result.error = Swedish("--samples kan inte stå med en signal: inspelningens längd är "
                               "--duration.");
    if (!result.error.isEmpty())
        return result;
    if (parser.isSet(port))
        request.port = parser.value(port).toStdString();
    if (parser.isSet(QStringLiteral("duration")))
        request.duration = parser.value(QStringLiteral("duration")).toStdString();
    result.request = std::move(request);
    return result;
}
