// SPDX-License-Identifier: MIT
#include "desktop/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLine ReadCommandLine(const QStringList& arguments, bool ignoreUnknown,
                            QString (*accessDescription)()) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromUtf8("Portprov läser och skriver en byte i taget i parallellportens och "
                          "spelportens register."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QString::fromUtf8("Arbeta mot en simulerad PC i stället för mot de riktiga portarna."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QString::fromUtf8("Visa den här hjälptexten."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QString::fromUtf8("Visa programmets version."));
    parser.addOption(simulate);
    parser.addOption(help);
    parser.addOption(version);

    CommandLine result;
    const bool understood = parser.parse(arguments);
    if (parser.isSet(help)) {
        parser.setApplicationDescription(parser.applicationDescription() + QStringLiteral("\n\n") +
                                         accessDescription());
        result.textToPrint = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.textToPrint = QCoreApplication::applicationName() + QLatin1Char(' ') +
                             QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    if (!understood && !ignoreUnknown) {
        result.textToPrint = parser.errorText() + QLatin1Char('\n');
        result.exitCode = 1;
        return result;
    }
    if (!parser.positionalArguments().isEmpty() && !ignoreUnknown) {
        result.textToPrint = QString::fromUtf8("Okänt argument: %1\n")
                                 .arg(parser.positionalArguments().join(QLatin1Char(' ')));
        result.exitCode = 1;
        return result;
    }
    result.simulate = parser.isSet(simulate);
    return result;
}
