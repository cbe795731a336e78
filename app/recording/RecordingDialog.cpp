// SPDX-License-Identifier: MIT
#include "recording/RecordingDialog.h"

#include "ports/PortError.h"
#include "recording/RecordedLines.h"
#include "recording/Recorder.h"
#include "recording/RecordingFiles.h"
#include "recording/SwedishSaveDialog.h"
#include "recording/TimingDiagram.h"
#include "recording/WholeFile.h"
#include "widgets/SwedishNumbers.h"
#include "widgets/TypedNumberBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace {

constexpr int kPollMs = 30;
constexpr QSize kPreferred{980, 680};
// A window manager's frame and a panel or two.
constexpr QSize kFrameRoom{40, 80};

QString PortEntry(std::uint16_t port) {
    const QString hex = QString::number(port, 16).toUpper().rightJustified(3, QLatin1Char('0'));
    if (port == kRecordedGamePort)
        return QStringLiteral("%1 (0x%2) spelport").arg(port).arg(hex);
    return QStringLiteral("%1 (0x%2) parallellport").arg(port).arg(hex);
}

std::filesystem::path PathOf(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                                               static_cast<std::size_t>(utf8.size())));
}

} // namespace

RecordingDialog::RecordingDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                                 std::vector<std::uint16_t> reportedBases,
                                 ::ShowMessage showMessage)
    : QDialog(parent), reportedBases_(std::move(reportedBases)),
      showMessage_(std::move(showMessage)), chooseSaveFile_(ChooseSwedishSaveFile) {
    setObjectName(QStringLiteral("RecordingDialog"));
    setWindowTitle(QStringLiteral("Spela in"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SettingsRow());
    layout->addLayout(RecordingRow(), 1);
    layout->addLayout(ButtonRow());
    for (const std::uint16_t base : bases)
        cboPort->addItem(PortEntry(base), base);
    cboPort->addItem(PortEntry(kRecordedGamePort), kRecordedGamePort);
    tmrPoll = new QTimer(this);
    tmrPoll->setInterval(kPollMs);
    ConnectControls();
    ShowFirstState();
}

void RecordingDialog::ConnectControls() {
    connect(cmdStart, &QPushButton::clicked, this, &RecordingDialog::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &RecordingDialog::cmdStop_Click);
    for (std::size_t index = 0; index < cmdSave.size(); ++index)
        connect(cmdSave[index], &QPushButton::clicked, this,
                [this, index] { cmdSave_Click(index); });
    connect(tmrPoll, &QTimer::timeout, this, &RecordingDialog::tmrPoll_Timer);
    connect(cboPort, &QComboBox::currentIndexChanged, this, &RecordingDialog::ShowRegisters);
    for (QCheckBox* box : {chkData, chkStatus, chkControl})
        connect(box, &QCheckBox::toggled, this, &RecordingDialog::ShowTriggerPins);
    connect(cboTrigger, &QComboBox::currentIndexChanged, this,
            [this](int index) { cboTriggerPin->setEnabled(index != 0); });
    connect(optRate, &QRadioButton::toggled, spnRate, &QWidget::setEnabled);
    connect(optSeconds, &QRadioButton::toggled, spnSeconds, &QWidget::setEnabled);
    connect(optSamples, &QRadioButton::toggled, spnSamples, &QWidget::setEnabled);
    connect(chkWrite, &QCheckBox::toggled, spnWritePort, &QWidget::setEnabled);
    connect(chkWrite, &QCheckBox::toggled, spnWriteValue, &QWidget::setEnabled);
    diagram->cursorsChanged = [this] {
        lblCursor->setText(diagram->cursorText());
        lblDifference->setText(diagram->differenceText());
    };
}

void RecordingDialog::ShowFirstState() {
    cmdStart->setDefault(true);
    std::vector<QPushButton*> others = cmdSave;
    others.insert(others.end(), {cmdStop, cmdClose});
    for (QPushButton* button : others)
        button->setAutoDefault(false);
    for (QWidget* box : std::initializer_list<QWidget*>{spnRate, spnSamples, cboTriggerPin,
                                                        spnWritePort, spnWriteValue})
        box->setEnabled(false);
    ShowRegisters();
    ShowRunning(false);
    lblStats->setText(QString::fromUtf8("Ingen inspelning än."));
    lblCursor->setText(diagram->cursorText());
    // Whole on a 1024×768 screen with the window's frame, and larger where
    // there is room; every text still whole at the smallest size.
    setMinimumSize(kSmallest);
    QSize size = kPreferred;
    if (const QScreen* screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() - kFrameRoom);
    resize(size.expandedTo(kSmallest));
    cmdStart->setFocus();
}

RecordingDialog::~RecordingDialog() = default;

std::vector<std::uint16_t> RecordingDialog::ChosenPorts() const {
    const auto base = static_cast<std::uint16_t>(cboPort->currentData().toUInt());
    if (base == kRecordedGamePort)
        return {base};
    std::vector<std::uint16_t> ports;
    if (chkData->isChecked())
        ports.push_back(base);
    if (chkStatus->isChecked())
        ports.push_back(static_cast<std::uint16_t>(base + 1));
    if (chkControl->isChecked())
        ports.push_back(static_cast<std::uint16_t>(base + 2));
    return ports;
}

void RecordingDialog::ShowRegisters() {
    const auto base = static_cast<std::uint16_t>(cboPort->currentData().toUInt());
    const bool game = base == kRecordedGamePort;
    // The game port is one register: its axes and buttons.
    chkData->setText(game ? QStringLiteral("%1 axlar och knappar").arg(base)
                          : QStringLiteral("Data (%1)").arg(base));
    chkStatus->setText(QStringLiteral("Status (%1)").arg(base + 1));
    chkControl->setText(QStringLiteral("Kontroll (%1)").arg(base + 2));
    chkData->setEnabled(!game);
    if (game)
        chkData->setChecked(true);
    chkStatus->setVisible(!game);
    chkControl->setVisible(!game);
    // Writing 513 starts the game port's axis timers; at a parallel port the
    // control register is the one written to set a handshake going.
    spnWritePort->setValue(game ? base : base + 2);
    ShowTriggerPins();
}

void RecordingDialog::ShowTriggerPins() {
    const QString chosen = cboTriggerPin->currentText();
    cboTriggerPin->clear();
    const std::vector<std::uint16_t> ports = ChosenPorts();
    for (const portprov::RecordedLine& line : portprov::LinesOf(ports, reportedBases_))
        cboTriggerPin->addItem(QString::fromStdString(line.label));
    const int again = cboTriggerPin->findText(chosen);
    if (again >= 0)
        cboTriggerPin->setCurrentIndex(again);
}

void RecordingDialog::ShowRunning(bool running) {
    settings_->setEnabled(!running);
    cmdStart->setEnabled(!running);
    cmdStop->setEnabled(running);
    for (QPushButton* button : cmdSave)
        button->setEnabled(!running && shown_.has_value());
}

void RecordingDialog::cmdStart_Click() {
    if (recorder_)
        return;
    if (const std::optional<QString> refusal = UnreadableBoxRefusal(this)) {
        showMessage_(this, *refusal);
        return;
    }
    const std::vector<std::uint16_t> ports = ChosenPorts();
    if (ports.empty()) {
        showMessage_(this, QString::fromUtf8("Välj minst ett register att spela in."));
        return;
    }
    std::vector<portprov::RecordedLine> lines = portprov::LinesOf(ports, reportedBases_);
    portprov::RecorderOptions options;
    options.ports.assign(ports.begin(), ports.end());
    if (optRate->isChecked())
        options.rate = static_cast<double>(spnRate->value());
    if (optSamples->isChecked())
        options.length = static_cast<std::uint64_t>(spnSamples->value());
    else
        options.length = std::chrono::nanoseconds(std::llround(spnSeconds->value() * 1e9));
    const int pin = cboTriggerPin->currentIndex();
    if (cboTrigger->currentIndex() != 0 && pin >= 0 && pin < static_cast<int>(lines.size())) {
        const portprov::RecordedLine& line = lines[static_cast<std::size_t>(pin)];
        options.trigger = portprov::RecorderOptions::Trigger{
            line.channel, line.bit, line.inverted,
            cboTrigger->currentIndex() == 1 ? portprov::Edge::Rise : portprov::Edge::Fall, 0.1};
    }
    if (chkWrite->isChecked())
        options.startWrite = portprov::RecorderOptions::Write{
            spnWritePort->value(), static_cast<std::uint8_t>(spnWriteValue->value())};
    try {
        auto recorder = std::make_unique<portprov::Recorder>(std::move(options));
        recorder->start();
        recorder_ = std::move(recorder);
    } catch (const portprov::PortError& error) {
        showMessage_(this, QString::fromStdString(error.what()));
        return;
    }
    runningLines_ = std::move(lines);
    fixedRate_ = optRate->isChecked();
    triggered_ = cboTrigger->currentIndex() != 0;
    started_ = std::chrono::system_clock::now();
    prgRecording->setValue(0);
    ShowRunning(true);
    tmrPoll->start();
}

void RecordingDialog::cmdStop_Click() {
    if (recorder_)
        recorder_->stop();
}

void RecordingDialog::reject() {
    cmdStop_Click();
    QDialog::reject();
}

void RecordingDialog::keyPressEvent(QKeyEvent* event) {
    // The boxes take their own keys first; what comes here no box wanted.
    const bool move = event->key() == Qt::Key_Home || event->key() == Qt::Key_End;
    if (move && diagram->hasRecording()) {
        diagram->setFocus(Qt::OtherFocusReason);
        QCoreApplication::sendEvent(diagram, event);
        return;
    }
    QDialog::keyPressEvent(event);
}

void RecordingDialog::tmrPoll_Timer() {
    if (!recorder_) {
        tmrPoll->stop();
        return;
    }
    prgRecording->setValue(static_cast<int>(recorder_->progress() * kProgressSteps));
    if (!recorder_->finished()) {
        if (recorder_->waitingForEdge())
            lblStats->setText(QString::fromUtf8("Väntar på flanken…"));
        else if (triggered_)
            lblStats->setText(QString::fromUtf8("Spelar in…"));
        return;
    }
    tmrPoll->stop();
    std::unique_ptr<portprov::Recorder> recorder = std::move(recorder_);
    try {
        portprov::RecorderResult result = recorder->wait();
        shownLines_ = runningLines_;
        shownStarted_ = started_;
        ShowResult(std::move(result),
                   fixedRate_ ? std::optional<double>(spnRate->value()) : std::nullopt);
    } catch (const portprov::PortError& error) {
        showMessage_(this, QString::fromStdString(error.what()));
    } catch (const std::exception& error) {
        showMessage_(this, QString::fromUtf8("Inspelningen avbröts: %1")
                               .arg(QString::fromLocal8Bit(error.what())));
    }
    ShowRunning(false);
}

void RecordingDialog::ShowResult(portprov::RecorderResult result, std::optional<double> rate) {
    prgRecording->setValue(kProgressSteps);
    shown_ = std::move(result.recording);
    shownResolution_ = portprov::ResolutionOf(result.stats, rate);
    diagram->setRecording(*shown_, shownLines_);
    fraDifferences->setVisible(false);
    ShowStats(result.stats);
    // The keys move the diagram at once.
    diagram->setFocus(Qt::OtherFocusReason);
}

bool RecordingDialog::showRecording(portprov::RecorderResult result,
                                    const portprov::RecorderOptions& options) {
    if (recorder_ || !options.rate)
        return false;
    // The settings beside a recording are those it was made with: Starta
    // records the same again.
    ShowSettings(options);
    shownLines_ = portprov::LinesOf(result.recording.ports, reportedBases_);
    shownStarted_ =
        std::chrono::system_clock::now() -
        std::chrono::duration_cast<std::chrono::system_clock::duration>(result.recording.length);
    fixedRate_ = true;
    triggered_ = false;
    ShowResult(std::move(result), options.rate);
    ShowRunning(false);
    return true;
}

void RecordingDialog::showComparison(const portprov::ReferenceComparison* comparison) {
    diagram->setComparison(comparison);
    fraDifferences->setVisible(comparison != nullptr);
    for (QPushButton* button : {cmdPrevDifference, cmdNextDifference})
        button->setEnabled(diagram->differenceCount() > 0);
    lblDifference->setText(diagram->differenceText());
}

void RecordingDialog::cmdNextDifference_Click() {
    diagram->showDifference(1);
    lblDifference->setText(diagram->differenceText());
}

void RecordingDialog::cmdPrevDifference_Click() {
    diagram->showDifference(-1);
    lblDifference->setText(diagram->differenceText());
}

void RecordingDialog::ShowStats(const portprov::RecordingStats& stats) {
    QString text =
        QString::fromUtf8("Mätningar: %1\nLängd: %2\nUppnådd takt: %3 Hz\n"
                          "Längsta glapp: %4\nÄndringar: %5")
            .arg(SwedishCount(stats.samples), SwedishDuration(shown_->length),
                 SwedishCount(static_cast<std::uint64_t>(std::llround(stats.meanRate))),
                 SwedishDuration(stats.longestGap), SwedishCount(shown_->changes.size()));
    if (fixedRate_)
        text += QString::fromUtf8("\nSena mätningar: %1").arg(SwedishCount(stats.lateSamples));
    // Beside a signal: a change may have come and gone inside such a gap.
    if (stats.longGaps > 0)
        text += QString::fromUtf8("\nGlapp över %1: %2 (ändringar kan saknas)")
                    .arg(SwedishDuration(stats.gapLimit), SwedishCount(stats.longGaps));
    // Stopped while it waited: what is shown is the stretch from before an
    // edge that never came, not a recording from the edge.
    if (triggered_ && !shown_->triggerTime)
        text = QString::fromUtf8("Flanken kom aldrig.\n") + text;
    // Ended for want of memory: what is shown is all there was room for.
    if (stats.outOfMemory)
        text = QString::fromUtf8("Minnet tog slut: inspelningen kortades.\n") + text;
    lblStats->setText(text);
    // The side column has a fixed width and does not pass a wrapped label's
    // height for that width on to the layout: a long line that wraps would be
    // cut off at the bottom without this.
    lblStats->setMinimumHeight(lblStats->heightForWidth(lblStats->width()));
}

void RecordingDialog::cmdSave_Click(std::size_t index) {
    Save(portprov::RecordingFormats()[index]);
}

// "portprov-889-20261207-2130.vcd": the first register recorded and when the
// recording began, by the local clock.
QString RecordingDialog::SuggestedFileName(const QString& extension) const {
    const QDateTime started = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(shownStarted_.time_since_epoch())
            .count());
    return QStringLiteral("portprov-%1-%2.%3")
        .arg(shown_->ports.empty() ? 0 : shown_->ports.front())
        .arg(started.toString(QStringLiteral("yyyyMMdd-HHmm")), extension);
}

void RecordingDialog::Save(const portprov::RecordingFormat& format) {
    if (!shown_)
        return;
    const auto text = [](std::string_view view) {
        return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
    };
    const QString name =
        chooseSaveFile_(this, QStringLiteral("Spara inspelningen som ") + text(format.name),
                        text(format.filter) + QStringLiteral(";;Alla filer (*)"),
                        SuggestedFileName(text(format.extension)));
    if (name.isEmpty())
        return;
    try {
        const QString version =
            QStringLiteral("Portprov %1").arg(QCoreApplication::applicationVersion()).trimmed();
        portprov::SaveRecording(
            PathOf(name), format.kind, *shown_, shownLines_,
            portprov::VcdHeader{version.toStdString(), shownStarted_, shownResolution_});
    } catch (const portprov::FileSaveError& error) {
        showMessage_(this, QString::fromStdString(error.what()));
    }
}
