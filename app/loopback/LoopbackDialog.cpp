// SPDX-License-Identifier: MIT
#include "loopback/LoopbackDialog.h"

#include "loopback/LoopbackTest.h"
#include "loopback/LoopbackTexts.h"
#include "loopback/Plugs.h"
#include "ports/PortBackend.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kPinsColumn = 0;
constexpr int kSignalsColumn = 1;
constexpr int kResultColumn = 2;

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
        "Sätt en slingkontakt i parallellporten, välj port och koppling och tryck Starta. "
        "Portens register återställs när testet är klart."));
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
    grdResult->setMinimumWidth(480);

    lblVerdict = new QLabel;
    lblVerdict->setObjectName(QStringLiteral("lblVerdict"));
    lblVerdict->setWordWrap(true);
    lblVerdict->setMargin(4);

    auto* buttons = new QDialogButtonBox;
    cmdStart = buttons->addButton(QStringLiteral("Starta"), QDialogButtonBox::ActionRole);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
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
    setTabOrder(cboPlug, grdResult);
    setTabOrder(grdResult, cmdStart);
    setTabOrder(cmdStart, cmdClose);

    ShowWiring();
    grdResult->resizeColumnsToContents();
    grdResult->setColumnWidth(kResultColumn, 200);
    // Five rows, no empty space below them.
    grdResult->resizeRowsToContents();
    int height = grdResult->horizontalHeader()->sizeHint().height() + 2 * grdResult->frameWidth();
    for (int row = 0; row < grdResult->rowCount(); ++row)
        height += grdResult->rowHeight(row);
    grdResult->setFixedHeight(height);
    grdResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cmdStart->setFocus();
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
        ShowReport(portprov::RunLoopbackTest(base, ChosenPlug(cboPlug->currentIndex())));
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
