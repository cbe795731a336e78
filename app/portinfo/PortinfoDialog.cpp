// SPDX-License-Identifier: MIT
#include "portinfo/PortinfoDialog.h"

#include "ports/PortError.h"
#include "ports/PortInfo.h"
#include "ports/PortModes.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <string>
#include <utility>

namespace {

constexpr int kPortColumn = 0;
constexpr int kKernelColumn = 1;
constexpr int kFoundColumn = 2;

QString Lines(const std::string& first, const std::vector<std::string>& more) {
    QString text = QString::fromStdString(first);
    for (const std::string& line : more)
        text += QLatin1Char('\n') + QString::fromStdString(line);
    return text;
}

} // namespace

PortinfoDialog::PortinfoDialog(QWidget* parent, const std::vector<std::uint16_t>& bases,
                               std::vector<portprov::KernelPortAccount> accounts,
                               ::ShowMessage showMessage)
    : QDialog(parent), bases_(bases), accounts_(std::move(accounts)),
      showMessage_(std::move(showMessage)) {
    setObjectName(QStringLiteral("PortinfoDialog"));
    setWindowTitle(QStringLiteral("Portinfo"));

    auto* intro = new QLabel(QString::fromUtf8(
        "Kärnans uppgifter om parallellportarna står nedan. Tryck Undersök portarna för att se "
        "vad Portprov själv finner att de kan; portarnas register återställs efteråt."));
    intro->setWordWrap(true);
    auto* warning = new QLabel(QString::fromUtf8(
        "En apparat på porten ser några korta testsignaler när portarna undersöks."));
    warning->setObjectName(QStringLiteral("lblWarning"));
    warning->setWordWrap(true);

    grdPorts = new QTableWidget(static_cast<int>(bases_.size()), 3);
    grdPorts->setObjectName(QStringLiteral("grdPorts"));
    grdPorts->setHorizontalHeaderLabels(
        {QStringLiteral("Port"), QString::fromUtf8("Kärnan"), QStringLiteral("Portprov")});
    grdPorts->verticalHeader()->hide();
    grdPorts->setSelectionMode(QAbstractItemView::NoSelection);
    grdPorts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPorts->setTabKeyNavigation(false);
    grdPorts->setWordWrap(true);
    grdPorts->horizontalHeader()->setStretchLastSection(true);
    grdPorts->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdPorts->setMinimumWidth(620);
    for (std::size_t i = 0; i < bases_.size(); ++i) {
        const int row = static_cast<int>(i);
        SetCell(row, kPortColumn, QString::fromStdString(portprov::PortTitle(bases_[i])));
        const portprov::KernelPortAccount* account = portprov::AccountFor(accounts_, bases_[i]);
        SetCell(row, kKernelColumn,
                account ? Lines(portprov::KernelText(*account), portprov::DeviceNotes(*account))
                        : QString::fromUtf8("inga uppgifter"));
        SetCell(row, kFoundColumn, QString::fromUtf8("inte undersökt"));
    }
    grdPorts->setColumnWidth(kPortColumn, 110);
    grdPorts->setColumnWidth(kKernelColumn, 240);

    auto* buttons = new QDialogButtonBox;
    cmdProbe =
        buttons->addButton(QString::fromUtf8("&Undersök portarna"), QDialogButtonBox::ActionRole);
    cmdProbe->setObjectName(QStringLiteral("cmdProbe"));
    cmdClose = buttons->addButton(QString::fromUtf8("Stäng"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(grdPorts);
    layout->addWidget(warning);
    layout->addWidget(buttons);

    connect(cmdProbe, &QPushButton::clicked, this, &PortinfoDialog::cmdProbe_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter closes the dialog; the probe runs only on its own button.
    cmdProbe->setAutoDefault(false);
    cmdClose->setDefault(true);
    FitRows();
    // Not the probe's button: a key pressed by chance must not send the
    // test signals.
    cmdClose->setFocus();
}

void PortinfoDialog::SetCell(int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    grdPorts->setItem(row, column, item);
}

void PortinfoDialog::FitRows() {
    // Every line of every port, with no empty space below the last: the
    // probe's notes may add lines.
    grdPorts->resizeRowsToContents();
    int height = grdPorts->horizontalHeader()->sizeHint().height() + 2 * grdPorts->frameWidth();
    for (int row = 0; row < grdPorts->rowCount(); ++row)
        height += grdPorts->rowHeight(row);
    grdPorts->setFixedHeight(height);
    adjustSize();
}

void PortinfoDialog::cmdProbe_Click() {
    for (std::size_t i = 0; i < bases_.size(); ++i) {
        const int row = static_cast<int>(i);
        SetCell(row, kFoundColumn, QString::fromUtf8("inte undersökt"));
    }
    for (std::size_t i = 0; i < bases_.size(); ++i) {
        const int row = static_cast<int>(i);
        try {
            const portprov::PortModes modes = portprov::ProbePortModes(bases_[i]);
            const portprov::KernelPortAccount* account = portprov::AccountFor(accounts_, bases_[i]);
            SetCell(row, kFoundColumn,
                    Lines(portprov::FoundModesText(modes), portprov::ModeNotes(modes, account)));
        } catch (const portprov::PortError& error) {
            SetCell(row, kFoundColumn, QString::fromUtf8("avbrutet"));
            FitRows();
            showMessage_(this, QString::fromStdString(error.what()));
            return;
        }
    }
    FitRows();
}
