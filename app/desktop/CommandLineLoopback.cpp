// SPDX-License-Identifier: MIT
#include "desktop/CommandLineLoopback.h"

#include "cli/LoopbackRequest.h"

#include <QCommandLineParser>

namespace {

// --fault, each pin once, only in the simulated PC.
QString ReadFaults(const QCommandLineParser& parser, bool simulate, LoopbackOptions& result) {
    const QStringList given = parser.values(QStringLiteral("fault"));
    if (!given.isEmpty() && !simulate)
        return QStringLiteral("--fault fungerar bara med --simulate.");
    for (const QString& text : given) {
        const auto read = portprov::ReadPinFault(text.toStdString());
        if (const auto* refusal = std::get_if<std::string>(&read))
            return QString::fromStdString(*refusal);
        const auto& fault = std::get<portprov::PinFault>(read);
        for (const portprov::PinFault& before : result.faults) {
            if (before.pin == fault.pin)
                return QString::fromUtf8("--fault står två gånger för stift %1 (välj ett fel).")
                    .arg(fault.pin);
        }
        result.faults.push_back(fault);
    }
    return {};
}

} // namespace

LoopbackOptions ReadLoopbackOptions(const QCommandLineParser& parser, bool simulate,
                                    bool otherCommands) {
    LoopbackOptions result;
    const QString loopback = QStringLiteral("loopback");
    const QString repeat = QStringLiteral("repeat");
    result.error = ReadFaults(parser, simulate, result);
    if (!result.error.isEmpty())
        return result;
    const auto once = [&parser](const QString& name) { return parser.values(name).size() <= 1; };
    if (!parser.isSet(loopback)) {
        // Beside --expect the recording's options read it.
        if (parser.isSet(repeat) && !parser.isSet(QStringLiteral("expect")))
            result.error = QStringLiteral("--repeat fungerar bara med --loopback eller --expect.");
        return result;
    }
    if (otherCommands)
        result.error = QString::fromUtf8(
            "--loopback kan inte stå med --read, --write, --info, --record eller en signal.");
    else if (!once(loopback) || !once(repeat) || !once(QStringLiteral("port")))
        result.error = QString::fromUtf8("--loopback, --repeat och --port får stå en gång var.");
    if (!result.error.isEmpty())
        return result;
    result.plug = parser.value(loopback).toStdString();
    if (parser.isSet(QStringLiteral("port")))
        result.port = parser.value(QStringLiteral("port")).toStdString();
    if (parser.isSet(repeat)) {
        const auto read = portprov::ReadRepeatCount(parser.value(repeat).toStdString());
        if (const auto* refusal = std::get_if<std::string>(&read))
            result.error = QString::fromStdString(*refusal);
        else
            result.repeat = std::get<std::uint64_t>(read);
    }
    return result;
}
