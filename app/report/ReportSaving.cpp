// SPDX-License-Identifier: MIT
#include "report/ReportSaving.h"

#include "recording/SwedishSaveDialog.h"
#include "recording/WholeFile.h"
#include "report/RunReports.h"

#include <QCoreApplication>

#include <utility>

namespace {

std::function<std::string()>& WayToPorts() {
    static std::function<std::string()> way;
    return way;
}

} // namespace

QString ChooseSwedishReportFile(QWidget* parent, const QString& caption, const QString& filter) {
    return ChooseSwedishSaveFile(parent, caption, filter, QStringLiteral("rapport.html"));
}

void SetReportWayToPorts(std::function<std::string()> way) {
    WayToPorts() = std::move(way);
}

portprov::ReportFacts WindowReportFacts(std::chrono::system_clock::time_point when,
                                        std::string port, std::string signal,
                                        std::string reference) {
    portprov::ReportFacts facts;
    facts.when = when;
    facts.version = "Portprov " + QCoreApplication::applicationVersion().toStdString();
    facts.port = std::move(port);
    facts.way = WayToPorts() ? WayToPorts()() : std::string();
    facts.signal = std::move(signal);
    facts.reference = std::move(reference);
    return facts;
}

bool SaveReportAs(QWidget* parent, const ChooseReportFile& choose, const ::ShowMessage& show,
                  const std::string& html) {
    const QString name =
        choose(parent, QString::fromUtf8("Spara rapport"), QStringLiteral("HTML-filer (*.html)"));
    if (name.isEmpty())
        return false;
    try {
        portprov::SaveReport(name.toStdString(), html);
    } catch (const portprov::FileSaveError& error) {
        show(parent, QString::fromStdString(error.what()));
        return false;
    }
    return true;
}
