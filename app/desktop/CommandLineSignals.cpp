// SPDX-License-Identifier: MIT
#include "desktop/CommandLineSignals.h"

#include <QCommandLineParser>

namespace {

QString Swedish(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

SignalOptions::SignalOptions()
    : port_(QStringLiteral("port"),
            Swedish("Parallellporten som " + portprov::SignalOptionNames("och") +
                    " driver, med sin bas (standard 888)."),
            Swedish("bas")) {
    for (const portprov::SignalOption& option : portprov::kSignalOptions)
        signals_.emplace_back(QString::fromLatin1(option.name), Swedish(option.help),
                              Swedish(option.valueName));
}

void SignalOptions::addTo(QCommandLineParser& parser) const {
    for (const QCommandLineOption& option : signals_)
        parser.addOption(option);
    parser.addOption(port_);
}

SignalOptions::Read SignalOptions::read(const QCommandLineParser& parser,
                                        bool otherCommands) const {
    Read result;
    qsizetype given = 0;
    portprov::GenerateRequest request;
    for (std::size_t i = 0; i < signals_.size(); ++i) {
        given += parser.values(signals_[i]).size();
        if (parser.isSet(signals_[i])) {
            request.kind = static_cast<portprov::GenerateRequest::Kind>(i);
            request.signal = parser.value(signals_[i]).toStdString();
        }
    }
    if (given == 0) {
        if (parser.isSet(port_))
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
