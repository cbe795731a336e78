// SPDX-License-Identifier: MIT
#include "generator/GeneratorDialog.h"

#include "generating/PlayedFile.h"
#include "generator/PinPicker.h"
#include "generator/SequenceFile.h"
#include "generator/SignalTexts.h"
#include "ports/PortError.h"
#include "recording/SwedishSaveDialog.h"
#include "widgets/SwedishNumbers.h"
#include "widgets/TypedNumberBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kPollMs = 30;
constexpr const char* kFirstStatus = "Välj stift och vågform och tryck Starta.";

QString PortEntry(std::uint16_t base) {
    return QStringLiteral("%1 (0x%2) parallellport")
        .arg(base)
        .arg(QString::number(base, 16).toUpper(), 3, QLatin1Char('0'));
}

QString Restored(const char* before) {
    return QString::fromUtf8(before) + QString::fromUtf8("Registren är återställda.");
}

} // namespace

GeneratorDialog::GeneratorDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                                 ::ShowMessage showMessage)
    : QDialog(parent), showMessage_(std::move(showMessage)), bases_(bases),
      chooseOpenFile_(ChooseSwedishOpenFile) {
    setObjectName(QStringLiteral("GeneratorDialog"));
    setWindowTitle(QStringLiteral("Signalgenerator"));
    settings_ = {PortBox(), WaveBox(), RecordBox()};
    auto* right = new QVBoxLayout;
    right->addWidget(settings_[1]);
    right->addWidget(settings_[2]);
    right->addWidget(FiguresBox(), 1);
    auto* row = new QHBoxLayout;
    row->addWidget(settings_[0]);
    row->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(VerdictList());
    layout->addLayout(ButtonRow());
    for (const std::uint16_t base : bases)
        cboPort->addItem(PortEntry(base), base);
    tmrPoll = new QTimer(this);
    tmrPoll->setInterval(kPollMs);
    NameControls();
    ConnectControls();
    cmdStart->setDefault(true);
    for (QPushButton* button : {cmdStop, cmdClose, cmdBrowse})
        button->setAutoDefault(false);
    ShowRecordPorts();
    ShowRunning(false);
    lblStatus->setText(QString::fromUtf8(kFirstStatus));
    lstPins->setFocus();
}

GeneratorDialog::~GeneratorDialog() = default;

void GeneratorDialog::ConnectControls() {
    connect(cmdStart, &QPushButton::clicked, this, &GeneratorDialog::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &GeneratorDialog::cmdStop_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &GeneratorDialog::cmdBrowse_Click);
    connect(tmrPoll, &QTimer::timeout, this, &GeneratorDialog::tmrPoll_Timer);
    connect(lstPins, &QListWidget::itemChanged, this, &GeneratorDialog::ListPinToggled);
    picPins->toggled = [this](int pin, bool chosen) { PickerPinToggled(pin, chosen); };
    connect(cboWave, &QComboBox::currentIndexChanged, this, &GeneratorDialog::ShowWavePage);
    connect(cboPort, &QComboBox::currentIndexChanged, this, &GeneratorDialog::ShowRecordPorts);
    connect(chkRecord, &QCheckBox::toggled, this, &GeneratorDialog::ShowRecordPorts);
}

std::vector<int> GeneratorDialog::ChosenPins() const {
    return {picPins->chosen().begin(), picPins->chosen().end()};
}

void GeneratorDialog::ListPinToggled(QListWidgetItem* item) {
    picPins->setChosen(item->data(Qt::UserRole).toInt(), item->checkState() == Qt::Checked);
}

void GeneratorDialog::PickerPinToggled(int pin, bool chosen) {
    for (int row = 0; row < lstPins->count(); ++row) {
        QListWidgetItem* item = lstPins->item(row);
        if (item->data(Qt::UserRole).toInt() != pin)
            continue;
        const QSignalBlocker quiet(lstPins);
        item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
        lstPins->setCurrentItem(item);
    }
}

void GeneratorDialog::ShowWavePage(int page) {
    pgeWave->setCurrentIndex(page);
    const bool ownPins = kWavePages[static_cast<std::size_t>(page)].ownPins;
    picPins->setEnabled(!ownPins);
    lstPins->setEnabled(!ownPins);
    // A file's page shows the file's pins; the others the pins chosen.
    if (ownPins && !filePinsShown_) {
        chosenPins_ = ChosenPins();
        ShowPins(filePins_);
    } else if (!ownPins && filePinsShown_) {
        ShowPins(chosenPins_);
    }
    filePinsShown_ = ownPins;
}

void GeneratorDialog::ShowPins(const std::vector<int>& pins) {
    const QSignalBlocker quiet(lstPins);
    for (int row = 0; row < lstPins->count(); ++row) {
        QListWidgetItem* item = lstPins->item(row);
        const int pin = item->data(Qt::UserRole).toInt();
        const bool chosen = std::find(pins.begin(), pins.end(), pin) != pins.end();
        item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
        picPins->setChosen(pin, chosen);
    }
}

void GeneratorDialog::ShowFile(const portprov::PlayedSequence& sequence,
                               const std::vector<std::string>& ignored) {
    filePins_ = portprov::WaveformPins(sequence);
    if (filePinsShown_)
        ShowPins(filePins_);
    fileFigures_ = QString::fromUtf8("\nÄndringar: %1")
                       .arg(SwedishCount(portprov::PlayedChangeCount(sequence)));
    if (!ignored.empty())
        fileFigures_ +=
            QLatin1Char('\n') + QString::fromStdString(portprov::IgnoredColumnsNote(ignored));
}

void GeneratorDialog::ShowRecordPorts() {
    const auto base = static_cast<std::uint16_t>(cboPort->currentData().toUInt());
    chkRecData->setText(QStringLiteral("Data (%1)").arg(base));
    chkRecStatus->setText(QStringLiteral("Status (%1)").arg(base + 1));
    chkRecControl->setText(QStringLiteral("Kontroll (%1)").arg(base + 2));
    lblFileHint->setText(QString::fromUtf8("Filen behöver kolumnen tid_s och kolumner för\n"
                                           "stift i %1 eller %2, som en inspelning sparar\n"
                                           "dem. Andra kolumner hoppas över.")
                             .arg(base)
                             .arg(base + 2));
    for (QWidget* control :
         std::initializer_list<QWidget*>{chkRecData, chkRecStatus, chkRecControl, spnRecRate})
        control->setEnabled(chkRecord->isChecked());
}

void GeneratorDialog::ShowRunning(bool running) {
    for (QGroupBox* box : settings_)
        box->setEnabled(!running);
    cmdStart->setEnabled(!running);
    cmdStop->setEnabled(running);
}

void GeneratorDialog::cmdBrowse_Click() {
    const QString name = chooseOpenFile_(this, QString::fromUtf8("Välj en fil att spela upp"),
                                         QStringLiteral("CSV-filer (*.csv);;Alla filer (*)"));
    if (name.isEmpty())
        return;
    txtFile->setText(name);
    // Its pins at once; a file that cannot be played is refused at Starta.
    SequenceFromFile read =
        ReadSequenceFile(name, static_cast<std::uint16_t>(cboPort->currentData().toUInt()));
    if (read.sequence)
        ShowFile(*read.sequence, read.ignored);
}

std::optional<portprov::Waveform> GeneratorDialog::ChosenWaveform() {
    const WavePage& page = kWavePages[static_cast<std::size_t>(cboWave->currentIndex())];
    if (!page.ownPins && ChosenPins().empty()) {
        showMessage_(this, QString::fromUtf8("Välj minst ett stift att driva."));
        return std::nullopt;
    }
    return (this->*page.chosen)(static_cast<std::uint16_t>(cboPort->currentData().toUInt()));
}

std::optional<portprov::RecorderOptions>
GeneratorDialog::ChosenRecording(const portprov::Waveform& waveform) {
    const auto base = static_cast<std::int32_t>(cboPort->currentData().toInt());
    portprov::RecorderOptions options;
    if (chkRecData->isChecked())
        options.ports.push_back(base);
    if (chkRecStatus->isChecked())
        options.ports.push_back(base + 1);
    if (chkRecControl->isChecked())
        options.ports.push_back(base + 2);
    if (options.ports.empty()) {
        showMessage_(this, QString::fromUtf8("Välj minst ett register att spela in."));
        return std::nullopt;
    }
    // A fixed rate keeps the reads in their places between the writes, so
    // that every level the signal makes is read at least once.
    options.rate = static_cast<double>(spnRecRate->value());
    options.length = portprov::WaveformLength(waveform);
    return options;
}

void GeneratorDialog::cmdStart_Click() {
    if (generator_)
        return;
    if (const std::optional<QString> refusal = UnreadableBoxRefusal(this)) {
        showMessage_(this, *refusal);
        return;
    }
    std::optional<portprov::Waveform> waveform = ChosenWaveform();
    if (!waveform)
        return;
    if (const std::optional<std::string> refusal = portprov::WaveformRefusal(*waveform)) {
        showMessage_(this, QString::fromStdString(*refusal));
        return;
    }
    portprov::GeneratorOptions options;
    options.base = cboPort->currentData().toInt();
    if (chkRecord->isChecked()) {
        options.recording = ChosenRecording(*waveform);
        if (!options.recording)
            return;
    }
    if (!ReferenceFits(options.recording))
        return;
    runningFigures_ =
        std::holds_alternative<portprov::PlayedSequence>(*waveform) ? fileFigures_ : QString();
    options.waveform = std::move(*waveform);
    const std::optional<portprov::RecorderOptions> recording = options.recording;
    try {
        auto generator = std::make_unique<portprov::Generator>(std::move(options), clock_);
        generator->start();
        generator_ = std::move(generator);
    } catch (const portprov::PortError& error) {
        showMessage_(this, QString::fromStdString(error.what()));
        return;
    }
    runningBase_ = static_cast<std::uint16_t>(cboPort->currentData().toUInt());
    runStarted_ = std::chrono::system_clock::now();
    runningRecording_ = recording;
    prgSignal->setValue(0);
    lblFigures->clear();
    startRefused_ = false;
    lblStatus->setText(QString::fromUtf8("Signalen går…"));
    ShowRunning(true);
    cmdStop->setFocus();
    tmrPoll->start();
}

void GeneratorDialog::cmdStop_Click() {
    if (generator_)
        generator_->stop();
}

void GeneratorDialog::tmrPoll_Timer() {
    if (!generator_) {
        tmrPoll->stop();
        return;
    }
    if (generator_->finished()) {
        Finish(true);
        return;
    }
    prgSignal->setValue(static_cast<int>(generator_->progress() * kProgressSteps));
}

void GeneratorDialog::Finish(bool showRecording) {
    tmrPoll->stop();
    const std::unique_ptr<portprov::Generator> generator = std::move(generator_);
    ShowRunning(false);
    cmdStart->setFocus();
    portprov::GeneratorResult result;
    try {
        result = generator->wait();
    } catch (const portprov::PortError& error) {
        // Only a failed access breaks off a signal under way; the other
        // failures come before the first write (the port busy or out of
        // reach, its data lines turned to input).
        startRefused_ = error.kind() != portprov::PortErrorKind::FailedAccess;
        lblStatus->setText(startRefused_ ? QString::fromUtf8("Signalen startade inte.")
                                         : QString::fromUtf8("Signalen avbröts."));
        showMessage_(this, QString::fromStdString(error.what()));
        return;
    } catch (const std::exception& error) {
        lblStatus->setText(QString::fromUtf8("Signalen avbröts."));
        showMessage_(
            this,
            QString::fromUtf8("Signalen avbröts: %1").arg(QString::fromLocal8Bit(error.what())));
        return;
    }
    // A stopped signal's bar stays where the last look at it left it: the
    // run counts itself whole once it has put the registers back.
    if (!result.stats.stopped)
        prgSignal->setValue(kProgressSteps);
    lblFigures->setText(SignalFigures(result.stats) + runningFigures_);
    lblStatus->setText(result.stats.stopped ? Restored("Stoppad före slutet. ")
                                            : Restored("Klar. "));
    // The generator has put the registers back: the window shows them as
    // they now are.
    if (portChanged_)
        portChanged_(runningBase_);
    std::optional<portprov::ReferenceComparison> comparison;
    if (result.recorded && runningRecording_)
        comparison = Compare(*result.recorded, *runningRecording_);
    if (showRecording && result.recorded && recorded_ && runningRecording_)
        recorded_(std::move(*result.recorded), *runningRecording_,
                  comparison ? &*comparison : nullptr);
}

void GeneratorDialog::reject() {
    // A start that was refused is not news the next time the dialog opens.
    if (startRefused_)
        lblStatus->setText(QString::fromUtf8(kFirstStatus));
    startRefused_ = false;
    if (generator_) {
        generator_->stop();
        // The run ends within a write or two of stop(); its recording is not
        // shown, as the user left the signal.
        Finish(false);
    }
    QDialog::reject();
}
