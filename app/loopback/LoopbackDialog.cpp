// SPDX-License-Identifier: MIT
#include "loopback/LoopbackDialog.h"

#include "loopback/LoopbackTest.h"
#include "loopback/LoopbackTexts.h"
#include "loopback/Plugs.h"
#include "ports/PortBackend.h"
#include "process/SteadyNow.h"
#include "report/LoopbackReport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kPinsColumn = 0;
constexpr int kSignalsColumn = 1;
constexpr int kResultColumn = 2;

// A turn of the event loop runs rounds for about this long (at least one),
// so that a long run keeps the window answering and sees Stoppa soon.
constexpr qint64 kRepeatTurnMs = 20;
// The result column is wide enough for a failing wire's counts of a long run.
const char* const kWidestTally =
    "fel i 99999 av 100000 omgångar, första i omgång 99999 efter 99,999999 s (fastnat hög)";

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString PortEntry(std::uint16_t base) {
    return QStringLiteral("%1 (0x%2)")
        .arg(base)
        .arg(QString::number(base, 16).toUpper(), 3, QLatin1Char('0'));
}

// The plug chosen in the list, which shows the plugs in the order of their table.
portprov::LoopbackPlug ChosenPlug(int index) {
    return portprov::PlugAt(static_cast<std::size_t>(std::max(index, 0)))
        .value_or(portprov::LoopbackPlug::Control);
}

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

} // namespace

LoopbackDialog::LoopbackDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                               ::ShowMessage showMessage)
    : QDialog(parent), showMessage_(std::move(showMessage)) {
    setObjectName(QStringLiteral("LoopbackDialog"));
    setWindowTitle(QStringLiteral("Slingtest"));

    auto* intro = new QLabel(QString::fromUtf8(
        "Sätt en slingkontakt i parallellporten, välj port och koppling och tryck Starta, "
        "eller Upprepa för att köra testet om och om igen och fånga ett fel som kommer och går. "
        "Portens register återställs efter varje omgång."));
    intro->setWordWrap(true);

    cboPort = new QComboBox;
    cboPort->setObjectName(QStringLiteral("cboPort"));
    for (const std::uint16_t base : bases)
        cboPort->addItem(PortEntry(base), base);

    cboPlug = new QComboBox;
    cboPlug->setObjectName(QStringLiteral("cboPlug"));
    for (const portprov::Plug& plug : portprov::kPlugs)
        cboPlug->addItem(Text(portprov::PlugText(plug.plug)));

    auto* choices = new QFormLayout;
    choices->addRow(QStringLiteral("&Port:"), cboPort);
    choices->addRow(QStringLiteral("&Koppling:"), cboPlug);

    grdResult = new QTableWidget(5, 3);
    grdResult->setObjectName(QStringLiteral("grdResult"));
    grdResult->setHorizontalHeaderLabels(
        {QStringLiteral("Stift"), QStringLiteral("Signaler"), QStringLiteral("Resultat")});
    grdResult->verticalHeader()->hide();
    grdResult->setSelectionMode(QAbstractItemView::NoSelection);
    grdResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdResult->setTabKeyNavigation(false);
    grdResult->horizontalHeader()->setStretchLastSection(true);

    lblVerdict = new QLabel;
    lblVerdict->setObjectName(QStringLiteral("lblVerdict"));
    lblVerdict->setWordWrap(true);
    lblVerdict->setMargin(4);

    auto* buttons = new QDialogButtonBox;
    cmdStart = buttons->addButton(QStringLiteral("Starta"), QDialogButtonBox::ActionRole);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    MakeRepeatControls(choices, buttons);
    cmdClose = buttons->addButton(QString::fromUtf8("Stäng"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(choices);
    layout->addWidget(grdResult);
    layout->addWidget(lblVerdict);
    layout->addWidget(buttons);

    connect(cmdStart, &QPushButton::clicked, this, &LoopbackDialog::cmdStart_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cboPlug, &QComboBox::currentIndexChanged, this, &LoopbackDialog::ShowWiring);
    connect(cboPort, &QComboBox::currentIndexChanged, this, &LoopbackDialog::ShowWiring);

    // Enter starts the test wherever the focus is, once the buttons are in the dialog.
    cmdStart->setDefault(true);
    cmdClose->setAutoDefault(false);

    setTabOrder(cboPort, cboPlug);
    setTabOrder(cboPlug, spnRounds);
    setTabOrder(spnRounds, chkUntilStopped);
    setTabOrder(chkUntilStopped, grdResult);
    setTabOrder(grdResult, cmdStart);
    setTabOrder(cmdStart, cmdRepeat);
    setTabOrder(cmdRepeat, cmdStop);
    setTabOrder(cmdStop, cmdClose);

    ShowWiring();
    grdResult->resizeColumnsToContents();
    grdResult->setColumnWidth(
        kResultColumn,
        grdResult->fontMetrics().horizontalAdvance(QString::fromUtf8(kWidestTally)) + 16);
    grdResult->setMinimumWidth(grdResult->horizontalHeader()->length() +
                               2 * grdResult->frameWidth());
    // Five rows, no empty space below them.
    grdResult->resizeRowsToContents();
    int height = grdResult->horizontalHeader()->sizeHint().height() + 2 * grdResult->frameWidth();
    for (int row = 0; row < grdResult->rowCount(); ++row)
        height += grdResult->rowHeight(row);
    grdResult->setFixedHeight(height);
    grdResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cmdStart->setFocus();
}

void LoopbackDialog::MakeRepeatControls(QFormLayout* choices, QDialogButtonBox* buttons) {
    spnRounds = new QSpinBox;
    spnRounds->setObjectName(QStringLiteral("spnRounds"));
    spnRounds->setRange(1, 1000000);
    spnRounds->setValue(100);
    spnRounds->setAccessibleName(QString::fromUtf8("Antal omgångar"));
    chkUntilStopped = new QCheckBox(QStringLiteral("&tills stoppad"));
    chkUntilStopped->setObjectName(QStringLiteral("chkUntilStopped"));
    chkUntilStopped->setAccessibleName(QStringLiteral("Upprepa tills stoppad"));
    auto* row = new QHBoxLayout;
    row->addWidget(spnRounds);
    row->addWidget(chkUntilStopped);
    row->addStretch();
    // A label of its own: the row's field is a layout, which a label cannot
    // name as its buddy, so the spin box is.
    auto* label = new QLabel(QString::fromUtf8("&Omgångar:"));
    label->setBuddy(spnRounds);
    choices->addRow(label, row);

    cmdRepeat = buttons->addButton(QStringLiteral("Upprepa"), QDialogButtonBox::ActionRole);
    cmdRepeat->setObjectName(QStringLiteral("cmdRepeat"));
    cmdRepeat->setAccessibleName(QStringLiteral("Upprepa"));
    cmdStop = buttons->addButton(QStringLiteral("Stoppa"), QDialogButtonBox::ActionRole);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setAccessibleName(QStringLiteral("Stoppa"));
    cmdStop->setEnabled(false);
    cmdReport =
        buttons->addButton(QString::fromUtf8("Spara rapport…"), QDialogButtonBox::ActionRole);
    cmdReport->setObjectName(QStringLiteral("cmdReport"));
    cmdReport->setAccessibleName(QString::fromUtf8("Spara testet som rapport"));
    cmdReport->setEnabled(false);
    for (QPushButton* button : {cmdRepeat, cmdStop, cmdReport})
        button->setAutoDefault(false);

    tmrRepeat = new QTimer(this);
    tmrRepeat->setInterval(0);
    connect(tmrRepeat, &QTimer::timeout, this, &LoopbackDialog::RunRounds);
    connect(cmdRepeat, &QPushButton::clicked, this, &LoopbackDialog::cmdRepeat_Click);
    connect(cmdStop, &QPushButton::clicked, this, &LoopbackDialog::cmdStop_Click);
    connect(cmdReport, &QPushButton::clicked, this, &LoopbackDialog::cmdReport_Click);
    connect(chkUntilStopped, &QCheckBox::toggled, spnRounds, &QWidget::setDisabled);
}

void LoopbackDialog::ShowWiring() {
    const auto wiring = portprov::WiringOf(ChosenPlug(cboPlug->currentIndex()));
    grdResult->setRowCount(static_cast<int>(wiring.size()));
    for (std::size_t i = 0; i < wiring.size(); ++i) {
        const int row = static_cast<int>(i);
        grdResult->setItem(row, kPinsColumn, Cell(Text(portprov::WirePinsText(wiring[i]))));
        grdResult->setItem(row, kSignalsColumn, Cell(Text(portprov::WireSignalsText(wiring[i]))));
        grdResult->setItem(row, kResultColumn, Cell(QString()));
    }
    ShowVerdict(QString(), palette().color(QPalette::Window));
}

void LoopbackDialog::cmdStart_Click() {
    ShowWiring();
    const auto base = static_cast<std::int32_t>(cboPort->currentData().toInt());
    try {
        // One round, counted as a repeated run is, for the report.
        runBase_ = base;
        runPlug_ = ChosenPlug(cboPlug->currentIndex());
        runStarted_ = std::chrono::system_clock::now();
        stopped_ = false;
        const portprov::LoopbackReport report = portprov::RunLoopbackTest(base, runPlug_);
        tally_.emplace(runPlug_, portprov::SteadyNow{});
        tally_->add(report);
        ShowReport(report);
        cmdReport->setEnabled(true);
    } catch (const portprov::PortError& error) {
        ShowVerdict(Text(portprov::AbortedText(error.kind())), kLoopbackFailFace);
        showMessage_(this, QString::fromStdString(error.what()));
    }
}

void LoopbackDialog::ShowReport(const portprov::LoopbackReport& report) {
    for (std::size_t i = 0; i < report.wires.size(); ++i) {
        const portprov::WireReport& wire = report.wires[i];
        QTableWidgetItem* cell = Cell(Text(portprov::WireResultText(report, wire)));
        cell->setBackground(wire.result == portprov::WireResult::Works ? kLoopbackPassFace
                                                                       : kLoopbackFailFace);
        cell->setForeground(Qt::black);
        grdResult->setItem(static_cast<int>(i), kResultColumn, cell);
    }
    ShowVerdict(Text(portprov::VerdictText(report)),
                report.passed() ? kLoopbackPassFace : kLoopbackFailFace);
}

void LoopbackDialog::cmdRepeat_Click() {
    ShowWiring();
    runBase_ = static_cast<std::int32_t>(cboPort->currentData().toInt());
    runPlug_ = ChosenPlug(cboPlug->currentIndex());
    wantedRounds_ =
        chkUntilStopped->isChecked() ? 0 : static_cast<std::uint64_t>(spnRounds->value());
    tally_.emplace(runPlug_, portprov::SteadyNow{});
    runStarted_ = std::chrono::system_clock::now();
    stopped_ = false;
    SetRunning(true);
    ShowTally();
    tmrRepeat->start();
}

void LoopbackDialog::cmdStop_Click() {
    if (tmrRepeat->isActive())
        EndRun(true);
}

void LoopbackDialog::done(int result) {
    cmdStop_Click();
    QDialog::done(result);
}

void LoopbackDialog::RunRounds() {
    // Each round puts the port back before the next one (RunLoopbackTest), so
    // that whatever ends the run between two rounds leaves the port as it was.
    QElapsedTimer turn;
    turn.start();
    do {
        try {
            tally_->add(portprov::RunLoopbackTest(runBase_, runPlug_));
        } catch (const portprov::PortError& error) {
            tmrRepeat->stop();
            SetRunning(false);
            ShowTally();
            ShowVerdict(Text(portprov::AbortedText(error.kind())), kLoopbackFailFace);
            showMessage_(this, QString::fromStdString(error.what()));
            return;
        }
        if (wantedRounds_ != 0 && tally_->rounds() >= wantedRounds_) {
            EndRun(false);
            return;
        }
    } while (turn.elapsed() < kRepeatTurnMs);
    ShowTally();
}

void LoopbackDialog::EndRun(bool stopped) {
    stopped_ = stopped;
    tmrRepeat->stop();
    SetRunning(false);
    ShowTally();
    ShowVerdict(Text(portprov::RepeatedVerdictText(*tally_, stopped)),
                tally_->passed() ? kLoopbackPassFace : kLoopbackFailFace);
}

void LoopbackDialog::SetRunning(bool running) {
    for (QWidget* control : {static_cast<QWidget*>(cboPort), static_cast<QWidget*>(cboPlug),
                             static_cast<QWidget*>(chkUntilStopped),
                             static_cast<QWidget*>(cmdStart), static_cast<QWidget*>(cmdRepeat)})
        control->setEnabled(!running);
    spnRounds->setEnabled(!running && !chkUntilStopped->isChecked());
    cmdStop->setEnabled(running);
    cmdReport->setEnabled(!running && tally_ && tally_->rounds() > 0);
    (running ? cmdStop : cmdRepeat)->setFocus();
}

void LoopbackDialog::ShowTally() {
    // Before a round has run the cells stay empty: nothing has passed yet.
    const std::vector<portprov::WireTally>& wires = tally_->wires();
    for (std::size_t i = 0; i < wires.size() && tally_->rounds() > 0; ++i) {
        const QString text = Text(portprov::WireTallyText(wires[i], tally_->rounds()));
        QTableWidgetItem* cell = Cell(text);
        cell->setToolTip(text);
        cell->setBackground(wires[i].failedRounds == 0 ? kLoopbackPassFace : kLoopbackFailFace);
        cell->setForeground(Qt::black);
        grdResult->setItem(static_cast<int>(i), kResultColumn, cell);
    }
    ShowVerdict(Text(portprov::RoundsText(*tally_)), palette().color(QPalette::Window));
}

void LoopbackDialog::ShowVerdict(const QString& text, const QColor& face) {
    lblVerdict->setText(text);
    FitVerdict();
    QPalette palette = lblVerdict->palette();
    palette.setColor(QPalette::Window, face);
    palette.setColor(QPalette::WindowText, Qt::black);
    lblVerdict->setPalette(palette);
    lblVerdict->setAutoFillBackground(!text.isEmpty());
}

void LoopbackDialog::FitVerdict() {
    // A window's least height leaves out the lines its wrapping labels take
    // at its width: the layout would squeeze the verdict over the table's
    // last rows. The dialog is kept as high as the layout needs at its width.
    // Before it is shown its width is not yet its own; showing sizes it whole.
    if (!isVisible())
        return;
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > 0 && needed != minimumHeight())
        setMinimumHeight(needed);
}

void LoopbackDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // Narrower, the verdict may take another line.
    FitVerdict();
}

void LoopbackDialog::cmdReport_Click() {
    if (!tally_ || tally_->rounds() == 0)
        return;
    const portprov::ReportFacts facts =
        WindowReportFacts(runStarted_, std::to_string(runBase_), {}, {});
    SaveReportAs(this, chooseReportFile_, showMessage_,
                 portprov::LoopbackReportHtml(facts, runPlug_, *tally_, stopped_));
}
