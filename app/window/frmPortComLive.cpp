// SPDX-License-Identifier: MIT
// Continuous reading (Verktyg → Läs kontinuerligt): a confirmed address is read
// about 20 times a second, shown like the read command shows it and, where
// the address list would show the pins, on the pins with the register's rule.
// Confirmed is the address in the box when the reading is switched on, one
// given later with Enter in the box, or one chosen in the list. A half-typed
// address is never read: on a real PC "8" on the way from 889 to 888 is the
// DMA controller, whose status register clears its flags when read.
// The read button is marked, with the address read, while it runs. It stops
// when switched off, when the window closes, and at the first refused address
// or failed access; a port another program holds for a test is waited for.
#include "window/frmPortCom.h"

#include "input/CommandInputs.h"
#include "ports/PortIo.h"
#include "window/LocaleNumbers.h"

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kLiveIntervalMs = 50;
// The read button's mark: a face of its own and a text that names the address
// read. Not "Aktiv Adress": the box may hold another address, half typed.
const QColor kLiveFace(176, 216, 255);
constexpr const char* kLiveMark = "Läs från Adress %1 (löpande)";
constexpr const char* kLiveToolTip =
    "Läser adressen 20 gånger i sekunden. Byt adress med Enter i adressrutan eller i listan. "
    "Stäng av med Verktyg → Läs kontinuerligt (Ctrl+L).";
// While another program holds the port for a test or a recording.
constexpr const char* kBusyMark = "Läs från Adress %1 (väntar)";
constexpr const char* kBusyToolTip =
    "Porten är upptagen: ett annat program kör ett test eller en inspelning på den. Läsningen "
    "fortsätter när porten blir ledig. Stäng av med Verktyg → Läs kontinuerligt (Ctrl+L).";

// An address confirmed for continuous reading, rounded as the read button
// rounds it.
portprov::AddressInput LiveAddress(const QString& text) {
    return portprov::CheckAddress(text.toStdString(), portprov::Rounding::HalfEven,
                                  LocaleNumberFormat());
}

} // namespace

void frmPortCom::mnuLive_Click() {
    if (!mnuLive->isChecked()) {
        StopLiveReading();
        return;
    }
    if (tmrLive->isActive())
        return;
    const portprov::AddressInput address = LiveAddress(Text1->text());
    if (!address.accepted) {
        mnuLive->setChecked(false);
        ShowMessage(QString::fromStdString(address.refusal));
        return;
    }
    livePort_ = address.port;
    readButtonText_ = Command1->text();
    readButtonPalette_ = Command1->palette();
    QPalette marked = readButtonPalette_;
    marked.setColor(QPalette::Button, kLiveFace);
    Command1->setPalette(marked);
    Command1->setText(QString::fromUtf8(kLiveMark).arg(livePort_));
    Command1->setToolTip(QString::fromUtf8(kLiveToolTip));
    tmrLive->start(kLiveIntervalMs);
}

void frmPortCom::ConfirmLiveAddress(const QString& text) {
    if (!tmrLive->isActive())
        return;
    const portprov::AddressInput address = LiveAddress(text);
    if (!address.accepted) {
        // Off first: one message, not one a tick.
        StopLiveReading();
        ShowMessage(QString::fromStdString(address.refusal));
        return;
    }
    if (address.port != livePort_)
        liveHold_.reset(); // taken again for the new address at the next tick
    livePort_ = address.port;
    Command1->setText(QString::fromUtf8(kLiveMark).arg(livePort_));
}

void frmPortCom::StopLiveReading() {
    if (!tmrLive->isActive())
        return;
    tmrLive->stop();
    liveHold_.reset();
    mnuLive->setChecked(false);
    Command1->setText(readButtonText_);
    Command1->setPalette(readButtonPalette_);
    Command1->setToolTip(QString());
}

void frmPortCom::tmrLive_Timer() {
    // A failed access stops the reading before its message is shown. A port
    // another program holds for a while is waited for instead, marked on the
    // read button, with no message a tick. Where the port must be taken from
    // the kernel for each access (ppdev), it stays taken while the reading
    // runs instead of 20 times a second; the hold is asked for without
    // waiting, so a port another program has is tried again at the next tick.
    const bool read = RunPortCommand(
        [&] {
            if (!liveHold_)
                liveHold_ = portprov::HoldPortForReading(livePort_);
            ShowByteRead(livePort_, PinRuleFor(livePort_));
        },
        WhileBusy::Wait);
    if (!tmrLive->isActive())
        return;
    Command1->setText(QString::fromUtf8(read ? kLiveMark : kBusyMark).arg(livePort_));
    Command1->setToolTip(QString::fromUtf8(read ? kLiveToolTip : kBusyToolTip));
}

void frmPortCom::closeEvent(QCloseEvent* event) {
    StopLiveReading();
    QMainWindow::closeEvent(event);
}
