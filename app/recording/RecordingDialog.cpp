// SPDX-License-Identifier: MIT
#include "recording/RecordingDialog.h"

#include "ports/PortError.h"
#include "recording/RecordedLines.h"
#include "recording/Recorder.h"
#include "recording/RecordingFiles.h"
#include "recording/TimingDiagram.h"
#include "recording/WholeFile.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace {

constexpr int kPollMs = 30;
constexpr int kProgressSteps = 1000;

QString PortEntry(std::uint16_t port) {
    const QString hex = QString::number(port, 16).toUpper().rightJustified(3, QLatin1Char('0'));
    if (port == kRecordedGamePort)
        return QStringLiteral("%1 (0x%2) spelport").arg(port).arg(hex);
    return QStringLiteral("%1 (0x%2) parallellport").arg(port).arg(hex);
}

QString Number(double value, int decimals) {
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

// "3,2 µs", "1,25 ms", "2,000 s": a time in the unit that suits it.
QString Duration(std::chrono::nanoseconds time) {
    const double ns = static_cast<double>(time.count());
    if (ns < 1e3)
        return Number(ns, 0) + QStringLiteral(" ns");
    if (ns < 1e6)
        return Number(ns / 1e3, 1) + QString::fromUtf8(" µs");
    if (ns < 1e9)
        return Number(ns / 1e6, 2) + QStringLiteral(" ms");
    return Number(ns / 1e9, 3) + QStringLiteral(" s");
}

// Thousands apart with a space, as Swedish writes them.
QString Count(std::uint64_t value) {
    QString digits = QString::number(value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QChar(0x00A0));
    return digits;
}

std::filesystem::path PathOf(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                                               static_cast<std::size_t>(utf8.size())));
}

QString DefaultChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter) {
    // The file dialog asks before it lets an existing file be overwritten.
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

} // namespace

RecordingDialog::RecordingDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                                 std::vector<std::uint16_t> reportedBases,
                                 ::ShowMessage showMessage)
    : QDialog(parent), reportedBases_(std::move(reportedBases)),
      showMessage_(std::move(showMessage)), chooseSaveFile_(DefaultChooseSaveFile) {
    setObjectName(QStringLiteral("RecordingDialog"));
    setWindowTitle(QStringLiteral("Spela in"));

    // Port and registers.
    cboPort = new QComboBox;
    cboPort->setObjectName(QStringLiteral("cboPort"));
    for (const std::uint16_t base : bases)
        cboPort->addItem(PortEntry(base), base);
    cboPort->addItem(PortEntry(kRecordedGamePort), kRecordedGamePort);
    chkData = new QCheckBox;
    chkData->setObjectName(QStringLiteral("chkData"));
    chkStatus = new QCheckBox;
    chkStatus->setObjectName(QStringLiteral("chkStatus"));
    chkControl = new QCheckBox;
    chkControl->setObjectName(QStringLiteral("chkControl"));
    for (QCheckBox* box : {chkData, chkStatus, chkControl})
        box->setChecked(true);
    auto* portBox = new QGroupBox(QStringLiteral("Port och register"));
    auto* portLayout = new QVBoxLayout(portBox);
    portLayout->addWidget(cboPort);
    portLayout->addWidget(chkData);
    portLayout->addWidget(chkStatus);
    portLayout->addWidget(chkControl);
    portLayout->addStretch();

    // Rate.
    optFastest = new QRadioButton(QStringLiteral("Så fort som möjligt"));
    optFastest->setObjectName(QStringLiteral("optFastest"));
    optFastest->setChecked(true);
    optRate = new QRadioButton(QString::fromUtf8("Fast takt:"));
    optRate->setObjectName(QStringLiteral("optRate"));
    spnRate = new QSpinBox;
    spnRate->setObjectName(QStringLiteral("spnRate"));
    spnRate->setRange(static_cast<int>(portprov::kSlowestRecordingRate),
                      static_cast<int>(portprov::kFastestRecordingRate));
    spnRate->setValue(100'000);
    spnRate->setSuffix(QStringLiteral(" Hz"));
    spnRate->setGroupSeparatorShown(true);
    auto* rateBox = new QGroupBox(QStringLiteral("Takt"));
    auto* rateLayout = new QGridLayout(rateBox);
    rateLayout->addWidget(optFastest, 0, 0, 1, 2);
    rateLayout->addWidget(optRate, 1, 0);
    rateLayout->addWidget(spnRate, 1, 1);
    rateLayout->setRowStretch(2, 1);
    auto* rateGroup = new QButtonGroup(rateBox);
    rateGroup->addButton(optFastest);
    rateGroup->addButton(optRate);

    // Length.
    optSeconds = new QRadioButton(QStringLiteral("Tid:"));
    optSeconds->setObjectName(QStringLiteral("optSeconds"));
    optSeconds->setChecked(true);
    spnSeconds = new QDoubleSpinBox;
    spnSeconds->setObjectName(QStringLiteral("spnSeconds"));
    spnSeconds->setDecimals(3);
    spnSeconds->setRange(0.001, 600.0);
    spnSeconds->setValue(0.1);
    spnSeconds->setSuffix(QStringLiteral(" s"));
    optSamples = new QRadioButton(QString::fromUtf8("Mätningar:"));
    optSamples->setObjectName(QStringLiteral("optSamples"));
    spnSamples = new QSpinBox;
    spnSamples->setObjectName(QStringLiteral("spnSamples"));
    spnSamples->setRange(1, 100'000'000);
    spnSamples->setValue(10'000);
    spnSamples->setGroupSeparatorShown(true);
    auto* lengthBox = new QGroupBox(QString::fromUtf8("Längd"));
    auto* lengthLayout = new QGridLayout(lengthBox);
    lengthLayout->addWidget(optSeconds, 0, 0);
    lengthLayout->addWidget(spnSeconds, 0, 1);
    lengthLayout->addWidget(optSamples, 1, 0);
    lengthLayout->addWidget(spnSamples, 1, 1);
    lengthLayout->setRowStretch(2, 1);
    auto* lengthGroup = new QButtonGroup(lengthBox);
    lengthGroup->addButton(optSeconds);
    lengthGroup->addButton(optSamples);

    // Start condition, and a write that sets things going.
    cboTrigger = new QComboBox;
    cboTrigger->setObjectName(QStringLiteral("cboTrigger"));
    cboTrigger->addItems({QStringLiteral("Genast"), QStringLiteral("Stigande flank på"),
                          QStringLiteral("Fallande flank på")});
    cboTriggerPin = new QComboBox;
    cboTriggerPin->setObjectName(QStringLiteral("cboTriggerPin"));
    chkWrite = new QCheckBox(QString::fromUtf8("&Skriv först till adress"));
    chkWrite->setObjectName(QStringLiteral("chkWrite"));
    spnWritePort = new QSpinBox;
    spnWritePort->setObjectName(QStringLiteral("spnWritePort"));
    spnWritePort->setRange(0, 65535);
    spnWriteValue = new QSpinBox;
    spnWriteValue->setObjectName(QStringLiteral("spnWriteValue"));
    spnWriteValue->setRange(0, 255);
    spnWriteValue->setValue(1);
    auto* startBox = new QGroupBox(QStringLiteral("Start"));
    auto* startLayout = new QGridLayout(startBox);
    startLayout->addWidget(cboTrigger, 0, 0, 1, 2);
    startLayout->addWidget(cboTriggerPin, 0, 2, 1, 2);
    startLayout->addWidget(chkWrite, 1, 0, 1, 2);
    startLayout->addWidget(spnWritePort, 1, 2);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(new QLabel(QString::fromUtf8("värdet")));
    valueRow->addWidget(spnWriteValue);
    startLayout->addLayout(valueRow, 1, 3);
    startLayout->setRowStretch(2, 1);

    settings_ = new QGroupBox;
    settings_->setFlat(true);
    auto* settingsLayout = new QHBoxLayout(settings_);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    settingsLayout->addWidget(portBox);
    settingsLayout->addWidget(rateBox);
    settingsLayout->addWidget(lengthBox);
    settingsLayout->addWidget(startBox, 1);

    // The diagram, and beside it what the recording achieved and the cursors.
    diagram = new TimingDiagram;
    lblStats = new QLabel;
    lblStats->setObjectName(QStringLiteral("lblStats"));
    lblStats->setWordWrap(true);
    lblStats->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblCursor = new QLabel;
    lblCursor->setObjectName(QStringLiteral("lblCursor"));
    lblCursor->setWordWrap(true);
    lblCursor->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* hint = new QLabel(
        QString::fromUtf8("Hjulet eller + och − zoomar, dra eller piltangenterna flyttar."));
    hint->setWordWrap(true);
    auto* statsBox = new QGroupBox(QStringLiteral("Inspelningen"));
    (new QVBoxLayout(statsBox))->addWidget(lblStats);
    auto* cursorBox = new QGroupBox(QString::fromUtf8("Markörer"));
    auto* cursorLayout = new QVBoxLayout(cursorBox);
    cursorLayout->addWidget(lblCursor);
    cursorLayout->addWidget(hint);
    auto* side = new QVBoxLayout;
    side->addWidget(statsBox);
    side->addWidget(cursorBox);
    side->addStretch();
    auto* sideWidget = new QWidget;
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(230);
    side->setContentsMargins(0, 0, 0, 0);
    auto* middle = new QHBoxLayout;
    middle->addWidget(diagram, 1);
    middle->addWidget(sideWidget);

    prgRecording = new QProgressBar;
    prgRecording->setObjectName(QStringLiteral("prgRecording"));
    prgRecording->setRange(0, kProgressSteps);
    prgRecording->setValue(0);
    prgRecording->setTextVisible(false);

    auto* buttons = new QDialogButtonBox;
    cmdStart = buttons->addButton(QStringLiteral("Starta"), QDialogButtonBox::ActionRole);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdStop = buttons->addButton(QStringLiteral("Stoppa"), QDialogButtonBox::ActionRole);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdSaveVcd = buttons->addButton(QString::fromUtf8("Spara &VCD…"), QDialogButtonBox::ActionRole);
    cmdSaveVcd->setObjectName(QStringLiteral("cmdSaveVcd"));
    cmdSaveCsv = buttons->addButton(QString::fromUtf8("Spara &CSV…"), QDialogButtonBox::ActionRole);
    cmdSaveCsv->setObjectName(QStringLiteral("cmdSaveCsv"));
    cmdClose = buttons->addButton(QString::fromUtf8("Stäng"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(prgRecording, 1);
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settings_);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    tmrPoll = new QTimer(this);
    tmrPoll->setInterval(kPollMs);

    connect(cmdStart, &QPushButton::clicked, this, &RecordingDialog::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &RecordingDialog::cmdStop_Click);
    connect(cmdSaveVcd, &QPushButton::clicked, this, &RecordingDialog::cmdSaveVcd_Click);
    connect(cmdSaveCsv, &QPushButton::clicked, this, &RecordingDialog::cmdSaveCsv_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
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
    diagram->cursorsChanged = [this] { lblCursor->setText(diagram->cursorText()); };

    cmdStart->setDefault(true);
    for (QPushButton* button : {cmdStop, cmdSaveVcd, cmdSaveCsv, cmdClose})
        button->setAutoDefault(false);
    spnRate->setEnabled(false);
    spnSamples->setEnabled(false);
    cboTriggerPin->setEnabled(false);
    spnWritePort->setEnabled(false);
    spnWriteValue->setEnabled(false);
    ShowRegisters();
    ShowRunning(false);
    lblStats->setText(QString::fromUtf8("Ingen inspelning än."));
    lblCursor->setText(diagram->cursorText());
    resize(1100, 720);
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
    cmdSaveVcd->setEnabled(!running && shown_.has_value());
    cmdSaveCsv->setEnabled(!running && shown_.has_value());
}

void RecordingDialog::cmdStart_Click() {
    if (recorder_)
        return;
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
    started_ = std::chrono::system_clock::now();
    prgRecording->setValue(0);
    ShowRunning(true);
    tmrPoll->start();
}

void RecordingDialog::cmdStop_Click() {
    if (recorder_)
        recorder_->stop();
}

void RecordingDialog::tmrPoll_Timer() {
    if (!recorder_) {
        tmrPoll->stop();
        return;
    }
    prgRecording->setValue(static_cast<int>(recorder_->progress() * kProgressSteps));
    if (!recorder_->finished())
        return;
    tmrPoll->stop();
    std::unique_ptr<portprov::Recorder> recorder = std::move(recorder_);
    try {
        portprov::RecorderResult result = recorder->wait();
        prgRecording->setValue(kProgressSteps);
        shown_ = std::move(result.recording);
        shownLines_ = runningLines_;
        shownStarted_ = started_;
        shownResolution_ = portprov::ResolutionOf(
            result.stats, fixedRate_ ? std::optional<double>(spnRate->value()) : std::nullopt);
        diagram->setRecording(*shown_, shownLines_);
        ShowStats(result.stats);
    } catch (const portprov::PortError& error) {
        showMessage_(this, QString::fromStdString(error.what()));
    } catch (const std::exception& error) {
        showMessage_(this, QString::fromUtf8("Inspelningen avbröts: %1")
                               .arg(QString::fromLocal8Bit(error.what())));
    }
    ShowRunning(false);
}

void RecordingDialog::ShowStats(const portprov::RecordingStats& stats) {
    QString text = QString::fromUtf8("Mätningar: %1\nLängd: %2\nUppnådd takt: %3 Hz\n"
                                     "Längsta glapp: %4\nÄndringar: %5")
                       .arg(Count(stats.samples), Duration(shown_->length),
                            Count(static_cast<std::uint64_t>(std::llround(stats.meanRate))),
                            Duration(stats.longestGap), Count(shown_->changes.size()));
    if (fixedRate_)
        text += QString::fromUtf8("\nSena mätningar: %1").arg(Count(stats.lateSamples));
    lblStats->setText(text);
}

void RecordingDialog::cmdSaveVcd_Click() {
    Save(portprov::FileKind::Vcd);
}

void RecordingDialog::cmdSaveCsv_Click() {
    Save(portprov::FileKind::Csv);
}

void RecordingDialog::Save(portprov::FileKind kind) {
    if (!shown_)
        return;
    const portprov::RecordingFormat& format = portprov::FormatOf(kind);
    const auto text = [](std::string_view view) {
        return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
    };
    const QString name =
        chooseSaveFile_(this, QStringLiteral("Spara inspelningen som ") + text(format.name),
                        text(format.filter) + QStringLiteral(";;Alla filer (*)"));
    if (name.isEmpty())
        return;
    try {
        const QString version =
            QStringLiteral("Portprov %1").arg(QCoreApplication::applicationVersion()).trimmed();
        portprov::SaveRecording(
            PathOf(name), kind, *shown_, shownLines_,
            portprov::VcdHeader{version.toStdString(), shownStarted_, shownResolution_});
    } catch (const portprov::FileSaveError& error) {
        showMessage_(this, QString::fromStdString(error.what()));
    }
}
