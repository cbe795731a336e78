// SPDX-License-Identifier: MIT
#include "desktop/CommandLineReport.h"

#include <QCommandLineParser>

ReportOption ReadReportOption(const QCommandLineParser& parser, bool compared, bool loopback) {
    const QString report = QStringLiteral("report");
    ReportOption result;
    if (!parser.isSet(report))
        return result;
    const QString path = parser.values(report).constLast();
    if (!compared && !loopback)
        result.error = QString::fromUtf8("--report hör till --expect (med --record) eller till "
                                         "--loopback.");
    else if (parser.values(report).size() > 1)
        result.error = QString::fromUtf8("--report får stå en gång.");
    else if (path == QStringLiteral("-"))
        result.error = QString::fromUtf8("--report skriver en fil, inte på standard ut: ange ett "
                                         "filnamn i stället för -.");
    else
        result.path = path.toStdString();
    return result;
}
