// SPDX-License-Identifier: MIT
// The commands of the three buttons and the Enter key of the two boxes: read a
// byte from the active address, write the value box to the active address, and
// write it to the control register.
#include "window/frmPortCom.h"

#include "input/CommandInputs.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"
#include "window/LocaleNumbers.h"
#include "window/ValueDisplay.h"
#include "window/WindowLampPanel.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kEnter = 13;

std::string TextOf(const QLineEdit* box) {
    return box->text().toStdString();
}

} // namespace

void frmPortCom::Command1_Click() {
    const portprov::AddressInput address =
        portprov::CheckAddress(TextOf(Text1), portprov::Rounding::HalfEven, LocaleNumberFormat());
    if (!Accepted(address))
        return;
    RunPortCommand([&] { ShowByteRead(address.port, std::nullopt); });
}

void frmPortCom::ShowByteRead(std::uint16_t port, std::optional<portprov::Register> rule) {
    const std::uint8_t byte = portprov::DlPortReadPortUchar(port);
    NoteRead(port, byte);
    SetValueText(lblValue, QString::number(byte));
    ShowOnLamps(byte, rule);
    // The connector now shows this port's registers.
    if (rule == portprov::Register::Data)
        connectorBase_ = static_cast<std::uint16_t>(port - portprov::kDataOffset);
    else if (rule == portprov::Register::Status)
        connectorBase_ = static_cast<std::uint16_t>(port - portprov::kStatusOffset);
}

void frmPortCom::Command2_Click() {
    const portprov::WriteInput write =
        portprov::CheckWrite(TextOf(Text2), TextOf(Text1), LocaleNumberFormat());
    if (!Accepted(write))
        return;
    RunPortCommand([&] {
        if (write.value.aboveRange)
            Text2->setText(QStringLiteral("255"));
        // The data pins show the value rounded down for every address, before
        // it is written.
        ShowOnLamps(write.roundedDown, portprov::Register::Data);
        if (portprov::IsControlRegisterWrite(write.port)) {
            Command3_Click();
            return;
        }
        portprov::DlPortWritePortUchar(write.port, write.value.value);
        const std::uint8_t readBack = portprov::DlPortReadPortUchar(write.port);
        NoteRead(write.port, readBack);
        SetValueText(lblValue, QString::number(readBack));
    });
}

void frmPortCom::Command3_Click() {
    const portprov::ValueInput value =
        portprov::CheckControlValue(TextOf(Text2), LocaleNumberFormat());
    if (!Accepted(value))
        return;
    RunPortCommand([&] {
        if (value.aboveRange)
            Text2->setText(QStringLiteral("255"));
        ShowOnLamps(value.value, portprov::Register::Control);
        // No read-back: the value display keeps the byte last read.
        portprov::DlPortWritePortUchar(portprov::kLpt1Control, value.value);
    });
}

void frmPortCom::Text1_KeyPress(int keyAscii) {
    if (keyAscii != kEnter)
        return;
    // Into the value box with its text selected, as Tab brings it there: the
    // value typed next replaces the old one instead of joining it.
    Text2->setFocus();
    Text2->selectAll();
    ConfirmLiveAddress(Text1->text());
}

void frmPortCom::Text2_KeyPress(int keyAscii) {
    if (keyAscii == kEnter)
        Command2_Click();
}
