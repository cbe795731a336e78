// SPDX-License-Identifier: MIT
// Continuous reading (Verktyg → Läs kontinuerligt): the active address is read
// about 20 times a second, shown like the read command shows it and, where
// the address list would show the pins, on the pins with the register's rule.
// The read button is marked while it runs. It stops when switched off, when
// the window closes, and at the first refused address or failed access.
#include "window/frmPortCom.h"

#include "input/CommandInputs.h"
#include "window/LocaleNumbers.h"

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kLiveIntervalMs = 50;
// The read button's mark: a face of its own and a word after its text.
const QColor kLiveFace(176, 216, 255);
constexpr const char* kLiveSuffix = " (löpande)";
constexpr const char* kLiveToolTip =
    "Läser aktiv adress 20 gånger i sekunden. Stäng av med Verktyg → Läs kontinuerligt (Ctrl+L).";

} // namespace

void frmPortCom::mnuLive_Click() {
    if (!mnuLive->isChecked()) {
        StopLiveReading();
        return;
    }
    if (tmrLive->isActive())
        return;
    readButtonText_ = Command1->text();
    readButtonPalette_ = Command1->palette();
    QPalette marked = readButtonPalette_;
    marked.setColor(QPalette::Button, kLiveFace);
    Command1->setPalette(marked);
    Command1->setText(readButtonText_ + QString::fromUtf8(kLiveSuffix));
    Command1->setToolTip(QString::fromUtf8(kLiveToolTip));
    tmrLive->start(kLiveIntervalMs);
}

void frmPortCom::StopLiveReading() {
    if (!tmrLive->isActive())
        return;
    tmrLive->stop();
    mnuLive->setChecked(false);
    Command1->setText(readButtonText_);
    Command1->setPalette(readButtonPalette_);
    Command1->setToolTip(QString());
}

void frmPortCom::tmrLive_Timer() {
    const portprov::AddressInput address = portprov::CheckAddress(
        Text1->text().toStdString(), portprov::Rounding::HalfEven, LocaleNumberFormat());
    if (!address.accepted) {
        // Off first: one message, not one a tick.
        StopLiveReading();
        ShowMessage(QString::fromStdString(address.refusal));
        return;
    }
    // A failed access stops the reading before its message is shown.
    RunPortCommand([&] { ShowByteRead(address.port, PinRuleFor(address.port)); });
}

void frmPortCom::closeEvent(QCloseEvent* event) {
    StopLiveReading();
    QMainWindow::closeEvent(event);
}
