// SPDX-License-Identifier: MIT
#include "desktop/CommandLineSignals.h"

#include <QCommandLineParser>

namespace {

QString Swedish(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

SignalOptions ReadSignalOptions(const QCommandLineParser& parser, bool otherCommands) {
    SignalOptions result;
    const QString port = QStringLiteral("port");
    qsizetype given = 0;
    portprov::GenerateRequest request;
    // The signal options are kSignalOptions' rows: kind k is row k.
    for (std::size_t i = 0; i < portprov::kSignalOptions.size(); ++i) {
        const QString option = QString::fromLatin1(portprov::kSignalOptions[i].name);
        given += parser.values(option).size();
        if (parser.isSet(option)) {
            request.kind = static_cast<portprov::GenerateRequest::Kind>(i);
            request.signal = parser.value(option).toStdString();
        }
    }
    if (given == 0) {
        // Beside --loopback it is the tested port's.
        if (parser.isSet(port) && !parser.isSet(QStringLiteral("loopback")))
            result.error = Swedish("--port hör till " + portprov::SignalOptionNames("eller") + ".");
        return result;
    }
    const auto once = [&parser](const QString& name) { return parser.values(name).size() <= 1; };
    if (given > 1)
        result.error =
            Swedish("Välj en signal: " + portprov::SignalOptionNames("eller") + ", en gång.");
    else if (otherCommands)
        result.error = Swedish(portprov::SignalOptionNames("och") +
                               " kan inte stå med --read, --write eller --info.");
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
