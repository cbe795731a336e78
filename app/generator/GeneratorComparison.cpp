// SPDX-License-Identifier: MIT
// The signal generator's comparison with a good board: "Jämför med…" reads a
// recording of one (the recorder's CSV), Starta checks that the registers to
// be recorded have its lines before a port is touched, and the end of the run
// shows each line's verdict.
#include "generator/GeneratorDialog.h"

#include "cli/ExpectedRecording.h"
#include "cli/SummaryNumbers.h"
#include "recording/RecordingFiles.h"
#include "report/ComparisonReport.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The faces of a line that matches and one that differs.
const QColor kMatchFace(192, 255, 192);
const QColor kDifferFace(255, 192, 192);

QString FromCore(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

QLayout* GeneratorDialog::CompareRow() {
    cmdCompare = new QPushButton(QString::fromUtf8("&Jämför med…"));
    cmdCompare->setObjectName(QStringLiteral("cmdCompare"));
    cmdNoCompare = new QPushButton(QString::fromUtf8("Ingen jämförelse"));
    cmdNoCompare->setObjectName(QStringLiteral("cmdNoCompare"));
    cmdReport = new QPushButton(QString::fromUtf8("Spara &rapport…"));
    cmdReport->setObjectName(QStringLiteral("cmdReport"));
    cmdReport->setAccessibleName(QString::fromUtf8("Spara jämförelsen som rapport"));
    cmdReport->setEnabled(false);
    lblReference = new QLabel(QString::fromUtf8("Jämförs inte."));
    lblReference->setObjectName(QStringLiteral("lblReference"));
    lblReference->setWordWrap(true);
    for (QPushButton* button : {cmdCompare, cmdNoCompare, cmdReport})
        button->setAutoDefault(false);
    cmdCompare->setAccessibleName(
        QString::fromUtf8("Jämför med en inspelning av ett fungerande kort"));
    cmdNoCompare->setAccessibleName(QString::fromUtf8("Ingen jämförelse"));
    lblReference->setAccessibleName(QString::fromUtf8("Referensen"));
    connect(cmdCompare, &QPushButton::clicked, this, &GeneratorDialog::cmdCompare_Click);
    connect(cmdNoCompare, &QPushButton::clicked, this, &GeneratorDialog::cmdNoCompare_Click);
    connect(cmdReport, &QPushButton::clicked, this, &GeneratorDialog::cmdReport_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCompare);
    buttons->addWidget(cmdNoCompare);
    buttons->addWidget(cmdReport);
    buttons->addStretch();
    auto* rows = new QVBoxLayout;
    rows->addLayout(buttons);
    rows->addWidget(lblReference);
    ShowReference();
    return rows;
}

QListWidget* GeneratorDialog::VerdictList() {
    lstVerdicts = new QListWidget;
    lstVerdicts->setObjectName(QStringLiteral("lstVerdicts"));
    lstVerdicts->setAccessibleName(QString::fromUtf8("Jämförelsens resultat per ledning"));
    // A line a row, under the settings, the width of the dialog: five
    // lines of a status register and the summary fit without scrolling.
    lstVerdicts->setFixedHeight(lstVerdicts->fontMetrics().height() * 7 + 8);
    lstVerdicts->setWordWrap(true);
    lstVerdicts->setVisible(false);
    return lstVerdicts;
}

void GeneratorDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The verdicts and the figures make the dialog taller: it moves up as
    // far as it grew past the screen's foot.
    const QScreen* screen = this->screen();
    if (screen == nullptr || !isVisible())
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = frameGeometry();
    if (frame.bottom() > available.bottom())
        move(frame.left(),
             std::max(available.top(), frame.top() - (frame.bottom() - available.bottom())));
}

void GeneratorDialog::ShowReference() {
    cmdNoCompare->setEnabled(reference_.has_value() && !running());
    if (!reference_) {
        lblReference->setText(QString::fromUtf8("Jämförs inte."));
        return;
    }
    const std::size_t lines = reference_->lines.size();
    lblReference->setText(QString::fromUtf8("Jämförs med %1 (%2 %3).")
                              .arg(QFileInfo(referencePath_).fileName())
                              .arg(lines)
                              .arg(QString::fromUtf8(lines == 1 ? "ledning" : "ledningar")));
    lblReference->setToolTip(referencePath_);
}

void GeneratorDialog::cmdCompare_Click() {
    const QString name = chooseOpenFile_(
        this, QString::fromUtf8("Välj en inspelning av ett fungerande kort att jämföra med"),
        QStringLiteral("CSV-filer (*.csv);;Alla filer (*)"));
    if (name.isEmpty())
        return;
    portprov::ReferenceResult read = portprov::ReadReferenceFile(name.toStdString());
    if (!read.reference) {
        showMessage_(this, FromCore(read.refusal));
        return;
    }
    reference_ = std::move(read.reference);
    referencePath_ = name;
    // A comparison needs the response recorded.
    chkRecord->setChecked(true);
    lstVerdicts->clear();
    new QListWidgetItem(
        QString::fromUtf8("Varje lednings resultat visas här när signalen är klar."), lstVerdicts);
    lstVerdicts->setVisible(true);
    ShowReference();
}

void GeneratorDialog::cmdNoCompare_Click() {
    reference_.reset();
    referencePath_.clear();
    comparison_.reset();
    cmdReport->setEnabled(false);
    lstVerdicts->clear();
    lstVerdicts->setVisible(false);
    ShowReference();
}

std::vector<portprov::RecordedLine>
GeneratorDialog::ComparedLines(const portprov::RecorderOptions& options) const {
    std::vector<std::uint16_t> ports;
    for (const std::int32_t port : options.ports)
        ports.push_back(static_cast<std::uint16_t>(port));
    return portprov::LinesOf(ports, bases_);
}

bool GeneratorDialog::ReferenceFits(const std::optional<portprov::RecorderOptions>& recording) {
    if (!reference_)
        return true;
    if (!recording) {
        showMessage_(this, QString::fromUtf8("Jämförelsen behöver en inspelning: kryssa i Spela in "
                                             "samtidigt."));
        return false;
    }
    const std::vector<std::string> absent =
        portprov::AbsentLines(*reference_, ComparedLines(*recording));
    if (absent.empty())
        return true;
    QString names;
    for (const std::string& name : absent)
        names += (names.isEmpty() ? QString() : QStringLiteral(", ")) + FromCore(name);
    showMessage_(this, QString::fromUtf8("%1 har %2, som inspelningen saknar: kryssa i de "
                                         "register de hör till.")
                           .arg(QFileInfo(referencePath_).fileName(), names));
    return false;
}

std::optional<portprov::ReferenceComparison>
GeneratorDialog::Compare(const portprov::RecorderResult& result,
                         const portprov::RecorderOptions& options) {
    lstVerdicts->clear();
    lstVerdicts->setVisible(reference_.has_value());
    comparison_.reset();
    cmdReport->setEnabled(reference_.has_value());
    if (!reference_)
        return std::nullopt;
    portprov::ReferenceComparison comparison = portprov::CompareWithReference(
        *reference_, result.recording, ComparedLines(options), std::nullopt,
        portprov::ResolutionOf(result.stats, options.rate));
    for (const portprov::ComparedLine& line : comparison.lines) {
        auto* item = new QListWidgetItem(
            FromCore(portprov::ComparedLineText(line, portprov::SwedishNumberFormat())),
            lstVerdicts);
        item->setBackground(line.verdict.differences == 0 ? kMatchFace : kDifferFace);
    }
    auto* summary =
        new QListWidgetItem(FromCore(portprov::ComparisonSummary(
                                comparison, QFileInfo(referencePath_).fileName().toStdString())),
                            lstVerdicts);
    summary->setBackground(comparison.matches() ? kMatchFace : kDifferFace);
    QFont bold = summary->font();
    bold.setBold(true);
    summary->setFont(bold);
    comparison_ = comparison;
    return comparison;
}

void GeneratorDialog::cmdReport_Click() {
    if (!comparison_)
        return;
    // The figures one after the other, as the report's signal line.
    QString figures = lblFigures->text();
    figures.replace(QLatin1Char('\n'), QStringLiteral(", "));
    const portprov::ReportFacts facts =
        WindowReportFacts(runStarted_, std::to_string(runningBase_), figures.toStdString(),
                          QFileInfo(referencePath_).fileName().toStdString());
    SaveReportAs(this, chooseReportFile_, showMessage_,
                 portprov::ComparisonReportHtml(facts, *comparison_));
}
