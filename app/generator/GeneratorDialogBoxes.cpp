// SPDX-License-Identifier: MIT
// The signal generator dialog's parts, box by box: the port and its pins on
// the left, the waveform and the recording beside the signal on the right,
// the figures of the last signal under them, and the progress and buttons at
// the bottom. The names a screen reader hears are here too; Tab takes the
// controls in the order they are built.
#include "generator/GeneratorDialog.h"

#include "connector/Connector.h"
#include "generating/Waveform.h"
#include "generator/PinPicker.h"
#include "generator/SequenceFile.h"
#include "widgets/TypedNumberBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <array>
#include <cmath>

namespace {

// The pins in the list: the data pins first, as a signal most often drives
// them, then the control register's outputs.
constexpr std::array<int, 12> kListedPins{2, 3, 4, 5, 6, 7, 8, 9, 1, 14, 16, 17};

template <typename Control> Control* Named(const char* name, Control* control) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QSpinBox* SpinBox(const char* name, int lowest, int highest, int value, const char* suffix) {
    auto* box = Named(name, new WholeNumberBox);
    box->setRange(lowest, highest);
    box->setValue(value);
    box->setGroupSeparatorShown(true);
    box->setSuffix(QString::fromUtf8(suffix));
    return box;
}

QDoubleSpinBox* DecimalNumberBox(const char* name, double lowest, double highest, double value,
                                 int decimals, const char* suffix) {
    auto* box = Named(name, new DecimalBox);
    box->setDecimals(decimals);
    box->setRange(lowest, highest);
    box->setValue(value);
    box->setSuffix(QString::fromUtf8(suffix));
    return box;
}

QWidget* Page(QFormLayout*& form) {
    auto* page = new QWidget;
    form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    return page;
}

void Name(QWidget* control, const char* name) {
    control->setAccessibleName(QString::fromUtf8(name));
}

} // namespace

QGroupBox* GeneratorDialog::PortBox() {
    cboPort = Named("cboPort", new QComboBox);
    picPins = Named("picPins", new PinPicker);
    lstPins = Named("lstPins", new QListWidget);
    for (const int pin : kListedPins) {
        auto* item = new QListWidgetItem(QStringLiteral("Stift %1 (%2)")
                                             .arg(pin)
                                             .arg(QString::fromUtf8(portprov::PinOf(pin)->name)),
                                         lstPins);
        item->setData(Qt::UserRole, pin);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    lstPins->setCurrentRow(0);
    auto* hint =
        new QLabel(QString::fromUtf8("Klicka på ett utgångsstift eller bocka för det i listan."));
    hint->setWordWrap(true);
    auto* box = new QGroupBox(QStringLiteral("Port och stift"));
    auto* layout = new QVBoxLayout(box);
    auto* port = new QFormLayout;
    port->addRow(QStringLiteral("&Port:"), cboPort);
    layout->addLayout(port);
    layout->addWidget(picPins, 0, Qt::AlignHCenter);
    layout->addWidget(hint);
    layout->addWidget(lstPins, 1);
    return box;
}

QWidget* GeneratorDialog::SquarePage() {
    spnSquareHz = SpinBox("spnSquareHz", static_cast<int>(portprov::kLowestSignalRate),
                          static_cast<int>(portprov::kHighestSignalRate), 1000, " Hz");
    spnDuty = DecimalNumberBox("spnDuty", 0.1, 99.9, 50.0, 1, " %");
    spnSeconds = DecimalNumberBox("spnSeconds", 0.001, 86'400.0, 1.0, 3, " s");
    QFormLayout* form = nullptr;
    QWidget* page = Page(form);
    form->addRow(QStringLiteral("&Frekvens:"), spnSquareHz);
    form->addRow(QString::fromUtf8("&Pulskvot:"), spnDuty);
    form->addRow(QString::fromUtf8("&Längd:"), spnSeconds);
    return page;
}

std::optional<portprov::Waveform> GeneratorDialog::ChosenSquare(std::uint16_t /*base*/) {
    return portprov::SquareWave{ChosenPins(), static_cast<double>(spnSquareHz->value()),
                                spnDuty->value(),
                                std::chrono::nanoseconds(std::llround(spnSeconds->value() * 1e9))};
}

QWidget* GeneratorDialog::PulsePage() {
    spnCount = SpinBox("spnCount", 1, static_cast<int>(portprov::kMostPulses), 10, "");
    spnPulseHz = SpinBox("spnPulseHz", static_cast<int>(portprov::kLowestSignalRate),
                         static_cast<int>(portprov::kHighestSignalRate), 1000, " Hz");
    QFormLayout* form = nullptr;
    QWidget* page = Page(form);
    form->addRow(QStringLiteral("&Antal pulser:"), spnCount);
    form->addRow(QStringLiteral("&Takt:"), spnPulseHz);
    return page;
}

std::optional<portprov::Waveform> GeneratorDialog::ChosenPulses(std::uint16_t /*base*/) {
    return portprov::PulseTrain{ChosenPins(), static_cast<std::uint64_t>(spnCount->value()),
                                static_cast<double>(spnPulseHz->value())};
}

QWidget* GeneratorDialog::FilePage() {
    txtFile = Named("txtFile", new QLineEdit);
    txtFile->setReadOnly(true);
    txtFile->setPlaceholderText(QString::fromUtf8("Ingen fil vald"));
    cmdBrowse = Named("cmdBrowse", new QPushButton(QString::fromUtf8("&Välj fil…")));
    QFormLayout* form = nullptr;
    QWidget* page = Page(form);
    form->addRow(QStringLiteral("Fil:"), txtFile);
    form->addRow(QString(), cmdBrowse);
    // Its lines broken by hand, so that the label asks for all of its height
    // inside the stacked pages (ShowRecordPorts writes it).
    lblFileHint = Named("lblFileHint", new QLabel);
    form->addRow(lblFileHint);
    return page;
}

// A file names its own pins; the page's pins are not asked for.
std::optional<portprov::Waveform> GeneratorDialog::ChosenFile(std::uint16_t base) {
    SequenceFromFile read = ReadSequenceFile(txtFile->text(), base);
    if (!read.sequence) {
        showMessage_(this, read.refusal);
        return std::nullopt;
    }
    // Read again at each start: the file may have changed since it was chosen.
    ShowFile(*read.sequence, read.ignored);
    return std::move(read.sequence);
}

const std::array<GeneratorDialog::WavePage, 3> GeneratorDialog::kWavePages{{
    {"Fyrkantsvåg", &GeneratorDialog::SquarePage, &GeneratorDialog::ChosenSquare, false},
    {"Pulståg", &GeneratorDialog::PulsePage, &GeneratorDialog::ChosenPulses, false},
    {"Spela upp fil", &GeneratorDialog::FilePage, &GeneratorDialog::ChosenFile, true},
}};

QGroupBox* GeneratorDialog::WaveBox() {
    cboWave = Named("cboWave", new QComboBox);
    pgeWave = Named("pgeWave", new QStackedWidget);
    for (const WavePage& page : kWavePages) {
        cboWave->addItem(QString::fromUtf8(page.title));
        pgeWave->addWidget((this->*page.build)());
    }
    auto* box = new QGroupBox(QString::fromUtf8("Vågform"));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(cboWave);
    layout->addWidget(pgeWave);
    return box;
}

QGroupBox* GeneratorDialog::RecordBox() {
    chkRecord = Named("chkRecord", new QCheckBox(QStringLiteral("Spela &in samtidigt")));
    chkRecData = Named("chkRecData", new QCheckBox);
    chkRecStatus = Named("chkRecStatus", new QCheckBox);
    chkRecControl = Named("chkRecControl", new QCheckBox);
    // The response of a device comes back on the status pins.
    chkRecStatus->setChecked(true);
    spnRecRate = SpinBox("spnRecRate", 1'000, 1'000'000, 100'000, " Hz");
    auto* box = new QGroupBox(QStringLiteral("Inspelning"));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(chkRecord);
    auto* registers = new QHBoxLayout;
    for (QCheckBox* check : {chkRecData, chkRecStatus, chkRecControl})
        registers->addWidget(check);
    layout->addLayout(registers);
    auto* rate = new QFormLayout;
    rate->addRow(QStringLiteral("T&akt:"), spnRecRate);
    layout->addLayout(rate);
    auto* length = new QLabel(QString::fromUtf8("Inspelningen är lika lång som signalen."));
    length->setWordWrap(true);
    layout->addWidget(length);
    layout->addLayout(CompareRow());
    return box;
}

QGroupBox* GeneratorDialog::FiguresBox() {
    lblFigures = Named("lblFigures", new QLabel);
    lblStatus = Named("lblStatus", new QLabel);
    for (QLabel* label : {lblFigures, lblStatus}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* box = new QGroupBox(QStringLiteral("Resultat"));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(lblFigures);
    layout->addWidget(lblStatus);
    layout->addStretch();
    return box;
}

QLayout* GeneratorDialog::ButtonRow() {
    prgSignal = Named("prgSignal", new QProgressBar);
    prgSignal->setRange(0, kProgressSteps);
    prgSignal->setValue(0);
    prgSignal->setTextVisible(false);
    auto* buttons = new QDialogButtonBox;
    cmdStart = Named("cmdStart",
                     buttons->addButton(QStringLiteral("Starta"), QDialogButtonBox::ActionRole));
    cmdStop = Named("cmdStop",
                    buttons->addButton(QStringLiteral("Stoppa"), QDialogButtonBox::ActionRole));
    cmdClose = Named("cmdClose",
                     buttons->addButton(QString::fromUtf8("Stäng"), QDialogButtonBox::RejectRole));
    connect(buttons, &QDialogButtonBox::rejected, this, &GeneratorDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(prgSignal, 1);
    row->addWidget(buttons);
    return row;
}

void GeneratorDialog::NameControls() {
    Name(cboPort, "Port");
    Name(picPins, "Parallellportens kontakt: klicka på ett utgångsstift för att välja det");
    Name(lstPins, "Stift att driva");
    Name(cboWave, "Vågform");
    Name(pgeWave, "Vågformens värden");
    Name(spnSquareHz, "Frekvens");
    Name(spnDuty, "Pulskvot i procent");
    Name(spnSeconds, "Längd i sekunder");
    Name(spnCount, "Antal pulser");
    Name(spnPulseHz, "Pulsernas takt");
    Name(txtFile, "Fil att spela upp");
    Name(cmdBrowse, "Välj fil");
    Name(chkRecord, "Spela in samtidigt");
    Name(chkRecData, "Spela in dataregistret");
    Name(chkRecStatus, "Spela in statusregistret");
    Name(chkRecControl, "Spela in kontrollregistret");
    Name(spnRecRate, "Inspelningens takt");
    Name(lblFigures, "Signalens resultat");
    Name(lblStatus, "Läge");
    Name(prgSignal, "Förlopp");
    Name(cmdStart, "Starta");
    Name(cmdStop, "Stoppa");
    Name(cmdClose, "Stäng");
}
