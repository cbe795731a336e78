// SPDX-License-Identifier: MIT
// The recording dialog's parts, box by box: what to record, how fast, how
// long and from when across the top; the diagram with the recording's figures
// and the cursors beside it; the progress and the buttons at the bottom.
#include "recording/RecordingDialog.h"

#include "connector/Connector.h"
#include "recording/RecordedLines.h"
#include "recording/Recorder.h"
#include "recording/TimingDiagram.h"
#include "widgets/TypedNumberBoxes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <variant>

namespace {

// The figures and the cursors beside the diagram, wide enough for
// "Uppnådd takt: 13 756 672 Hz" on a line.
constexpr int kSideWidth = 230;

// The start write's value at a parallel port's control register: 13.
constexpr int kStrobeKeepingInit = portprov::Bit(portprov::control_bit::kStrobe) |
                                   portprov::Bit(portprov::control_bit::kInit) |
                                   portprov::Bit(portprov::control_bit::kSelectIn);

template <typename Control> Control* Named(const char* name, Control* control) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QSpinBox* SpinBox(const char* name, int lowest, int highest, int value) {
    auto* box = Named(name, new WholeNumberBox);
    box->setRange(lowest, highest);
    box->setValue(value);
    return box;
}

// Two choices, each with the box it enables, as rows of a grid.
QGroupBox* ChoiceBox(const QString& title, QRadioButton* first, QWidget* firstBox,
                     QRadioButton* second, QWidget* secondBox) {
    auto* box = new QGroupBox(title);
    auto* layout = new QGridLayout(box);
    layout->addWidget(first, 0, 0, 1, firstBox ? 1 : 2);
    if (firstBox)
        layout->addWidget(firstBox, 0, 1);
    layout->addWidget(second, 1, 0);
    layout->addWidget(secondBox, 1, 1);
    layout->setRowStretch(2, 1);
    auto* group = new QButtonGroup(box);
    group->addButton(first);
    group->addButton(second);
    first->setChecked(true);
    return box;
}

} // namespace

QGroupBox* RecordingDialog::PortBox() {
    cboPort = Named("cboPort", new QComboBox);
    chkData = Named("chkData", new QCheckBox);
    chkStatus = Named("chkStatus", new QCheckBox);
    chkControl = Named("chkControl", new QCheckBox);
    auto* box = new QGroupBox(QStringLiteral("Port och register"));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(cboPort);
    for (QCheckBox* check : {chkData, chkStatus, chkControl}) {
        check->setChecked(true);
        layout->addWidget(check);
    }
    layout->addStretch();
    return box;
}

QGroupBox* RecordingDialog::RateBox() {
    optFastest = Named("optFastest", new QRadioButton(QStringLiteral("Så fort som möjligt")));
    optRate = Named("optRate", new QRadioButton(QStringLiteral("Fast takt:")));
    spnRate = SpinBox("spnRate", static_cast<int>(portprov::kSlowestRecordingRate),
                      static_cast<int>(portprov::kFastestRecordingRate), 100'000);
    spnRate->setSuffix(QStringLiteral(" Hz"));
    spnRate->setGroupSeparatorShown(true);
    spnRate->setAccessibleName(QStringLiteral("Fast takt"));
    return ChoiceBox(QStringLiteral("Takt"), optFastest, nullptr, optRate, spnRate);
}

QGroupBox* RecordingDialog::LengthBox() {
    optSeconds = Named("optSeconds", new QRadioButton(QStringLiteral("Tid:")));
    spnSeconds = Named("spnSeconds", new DecimalBox);
    spnSeconds->setDecimals(3);
    spnSeconds->setRange(0.001, 600.0);
    spnSeconds->setValue(0.1);
    spnSeconds->setSuffix(QStringLiteral(" s"));
    spnSeconds->setAccessibleName(QStringLiteral("Tid i sekunder"));
    optSamples = Named("optSamples", new QRadioButton(QString::fromUtf8("Mätningar:")));
    spnSamples = SpinBox("spnSamples", 1, 100'000'000, 10'000);
    spnSamples->setGroupSeparatorShown(true);
    spnSamples->setAccessibleName(QString::fromUtf8("Antal mätningar"));
    return ChoiceBox(QString::fromUtf8("Längd"), optSeconds, spnSeconds, optSamples, spnSamples);
}

QGroupBox* RecordingDialog::StartBox() {
    // The start condition, and a write that sets things going.
    cboTrigger = Named("cboTrigger", new QComboBox);
    cboTrigger->addItems({QStringLiteral("Genast"), QStringLiteral("Stigande flank på"),
                          QStringLiteral("Fallande flank på")});
    cboTriggerPin = Named("cboTriggerPin", new QComboBox);
    chkWrite = Named("chkWrite", new QCheckBox(QString::fromUtf8("&Skriv först till adress")));
    spnWritePort = SpinBox("spnWritePort", 0, 65535, 0);
    // 13 at the control register strobes a printer and leaves it alone: bit 0
    // pulls Strobe low, bit 2 keeps Init high and bit 3 keeps Select In active.
    // 1 would strobe too, but pull Init low and reset a real printer. The box
    // takes one write, so Strobe stays low after it; 12 written to the
    // control register afterwards lets it go.
    spnWriteValue = SpinBox("spnWriteValue", 0, 255, kStrobeKeepingInit);
    spnWritePort->setAccessibleName(QString::fromUtf8("Adress att skriva till först"));
    spnWriteValue->setAccessibleName(QString::fromUtf8("Värde att skriva först"));
    auto* box = new QGroupBox(QStringLiteral("Start"));
    // One above the other, so that the settings fit a small screen's width.
    auto* layout = new QGridLayout(box);
    layout->addWidget(cboTrigger, 0, 0, 1, 3);
    layout->addWidget(cboTriggerPin, 1, 0, 1, 3);
    layout->addWidget(chkWrite, 2, 0, 1, 3);
    layout->addWidget(spnWritePort, 3, 0);
    layout->addWidget(new QLabel(QString::fromUtf8("värdet")), 3, 1);
    layout->addWidget(spnWriteValue, 3, 2);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(4, 1);
    return box;
}

QWidget* RecordingDialog::SettingsRow() {
    settings_ = new QGroupBox;
    settings_->setFlat(true);
    settingsGrid_ = new QGridLayout(settings_);
    settingsGrid_->setContentsMargins(0, 0, 0, 0);
    settingsBoxes_ = {PortBox(), RateBox(), LengthBox(), StartBox()};
    ArrangeSettings(false);
    return settings_;
}

void RecordingDialog::setNarrow(bool narrow) {
    ArrangeSettings(narrow);
    // The row's new size counts at once, not once the layouts' events come.
    settingsGrid_->activate();
    settings_->updateGeometry();
    layout()->invalidate();
    layout()->activate();
    setMinimumSize(narrow ? minimumSizeHint().expandedTo(kSmallestNarrow) : kSmallest);
}

void RecordingDialog::ArrangeSettings(bool narrow) {
    for (QGroupBox* box : settingsBoxes_)
        settingsGrid_->removeWidget(box);
    for (int index = 0; index < 4; ++index) {
        settingsGrid_->addWidget(settingsBoxes_[static_cast<std::size_t>(index)],
                                 narrow ? index / 2 : 0, narrow ? index % 2 : index);
        settingsGrid_->setColumnStretch(index, 0);
    }
    // The start's box takes what width is left over.
    settingsGrid_->setColumnStretch(narrow ? 1 : 3, 1);
}

QWidget* RecordingDialog::SidePanel() {
    auto selectable = [](const char* name) {
        auto* text = Named(name, new QLabel);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return text;
    };
    lblStats = selectable("lblStats");
    lblCursor = selectable("lblCursor");
    auto* hint = new QLabel(
        QString::fromUtf8("Hjulet eller + och − zoomar, dra eller piltangenterna flyttar."));
    hint->setWordWrap(true);
    auto* statsBox = new QGroupBox(QStringLiteral("Inspelningen"));
    (new QVBoxLayout(statsBox))->addWidget(lblStats);
    auto* cursorBox = new QGroupBox(QString::fromUtf8("Markörer"));
    auto* cursorLayout = new QVBoxLayout(cursorBox);
    cursorLayout->addWidget(lblCursor);
    cursorLayout->addWidget(hint);
    auto* side = new QWidget;
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(statsBox);
    layout->addWidget(cursorBox);
    layout->addStretch();
    side->setFixedWidth(kSideWidth);
    return side;
}

QGroupBox* RecordingDialog::DifferencesBox() {
    lblDifference = Named("lblDifference", new QLabel);
    lblDifference->setWordWrap(true);
    lblDifference->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdPrevDifference = Named("cmdPrevDifference", new QPushButton(QString::fromUtf8("◀ Före")));
    cmdNextDifference = Named("cmdNextDifference", new QPushButton(QString::fromUtf8("Nästa ▶")));
    cmdPrevDifference->setAccessibleName(QString::fromUtf8("Föregående skillnad"));
    cmdNextDifference->setAccessibleName(QString::fromUtf8("Nästa skillnad"));
    lblDifference->setAccessibleName(QString::fromUtf8("Skillnaden som visas"));
    // A row under the diagram, so that the figures and the cursors beside
    // it keep their room.
    fraDifferences = Named("fraDifferences", new QGroupBox(QString::fromUtf8("Jämförelse")));
    auto* layout = new QHBoxLayout(fraDifferences);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(lblDifference, 1);
    for (QPushButton* button : {cmdPrevDifference, cmdNextDifference}) {
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    connect(cmdPrevDifference, &QPushButton::clicked, this,
            &RecordingDialog::cmdPrevDifference_Click);
    connect(cmdNextDifference, &QPushButton::clicked, this,
            &RecordingDialog::cmdNextDifference_Click);
    fraDifferences->setVisible(false);
    return fraDifferences;
}

QLayout* RecordingDialog::RecordingRow() {
    diagram = new TimingDiagram;
    auto* left = new QVBoxLayout;
    left->addWidget(diagram, 1);
    left->addWidget(DifferencesBox());
    auto* row = new QHBoxLayout;
    row->addLayout(left, 1);
    row->addWidget(SidePanel());
    return row;
}

QLayout* RecordingDialog::ButtonRow() {
    prgRecording = Named("prgRecording", new QProgressBar);
    prgRecording->setRange(0, kProgressSteps);
    prgRecording->setValue(0);
    prgRecording->setTextVisible(false);
    auto* buttons = new QDialogButtonBox;
    auto add = [buttons](const char* name, const char* text, QDialogButtonBox::ButtonRole role) {
        return Named(name, buttons->addButton(QString::fromUtf8(text), role));
    };
    cmdStart = add("cmdStart", "Starta", QDialogButtonBox::ActionRole);
    cmdStop = add("cmdStop", "Stoppa", QDialogButtonBox::ActionRole);
    // "Spara &VCD…", named cmdSaveVcd, and so on for every kind of file.
    for (const portprov::RecordingFormat& format : portprov::RecordingFormats()) {
        const QString name =
            QString::fromUtf8(format.name.data(), static_cast<qsizetype>(format.name.size()));
        QPushButton* button =
            buttons->addButton(QStringLiteral("Spara &") + name + QString::fromUtf8("…"),
                               QDialogButtonBox::ActionRole);
        button->setObjectName(QStringLiteral("cmdSave") + name.left(1) + name.mid(1).toLower());
        cmdSave.push_back(button);
    }
    cmdClose = add("cmdClose", "Stäng", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &RecordingDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(prgRecording, 1);
    row->addWidget(buttons);
    return row;
}

void RecordingDialog::ShowSettings(const portprov::RecorderOptions& options) {
    const auto holds = [&](int port) {
        return std::find(options.ports.begin(), options.ports.end(), port) != options.ports.end();
    };
    // The port whose registers were read: a parallel port's base, or 513.
    for (int index = 0; index < cboPort->count(); ++index) {
        const int base = cboPort->itemData(index).toInt();
        const int last = base == kRecordedGamePort ? base : base + 2;
        if (std::all_of(options.ports.begin(), options.ports.end(),
                        [&](int port) { return port >= base && port <= last; }))
            cboPort->setCurrentIndex(index);
    }
    const int base = cboPort->currentData().toInt();
    chkData->setChecked(holds(base));
    chkStatus->setChecked(holds(base + 1));
    chkControl->setChecked(holds(base + 2));
    (options.rate ? optRate : optFastest)->setChecked(true);
    if (options.rate)
        spnRate->setValue(static_cast<int>(std::lround(*options.rate)));
    if (const auto* time = std::get_if<std::chrono::nanoseconds>(&options.length)) {
        optSeconds->setChecked(true);
        spnSeconds->setValue(static_cast<double>(time->count()) / 1e9);
    } else {
        optSamples->setChecked(true);
        spnSamples->setValue(static_cast<int>(std::get<std::uint64_t>(options.length)));
    }
    cboTrigger->setCurrentIndex(!options.trigger                                ? 0
                                : options.trigger->edge == portprov::Edge::Rise ? 1
                                                                                : 2);
    if (options.trigger) {
        const std::vector<portprov::RecordedLine> lines =
            portprov::LinesOf(ChosenPorts(), reportedBases_);
        for (std::size_t line = 0; line < lines.size(); ++line) {
            if (lines[line].channel == options.trigger->channel &&
                lines[line].bit == options.trigger->bit)
                cboTriggerPin->setCurrentIndex(static_cast<int>(line));
        }
    }
    chkWrite->setChecked(options.startWrite.has_value());
    if (options.startWrite) {
        spnWritePort->setValue(options.startWrite->port);
        spnWriteValue->setValue(options.startWrite->value);
    }
}
