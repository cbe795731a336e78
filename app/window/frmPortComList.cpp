// SPDX-License-Identifier: MIT
// The address list: choosing an entry makes it the active address and reads it.
#include "window/frmPortCom.h"

#include "input/CommandInputs.h"
#include "lamps/ByteLamps.h"
#include "ports/PortIo.h"
#include "ports/ReportedParallelPorts.h"
#include "window/LocaleNumbers.h"
#include "window/WindowLampPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTimer>

#include <optional>

namespace {

constexpr int kStatusRegisterEntry = 1; // the entry "889"
constexpr int kFixedEntries = 20;       // the entries the list always has

} // namespace

void frmPortCom::List1_Click() {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    const QString entry = selected.constFirst()->text();
    const int row = List1->row(selected.constFirst());
    // The blank entries only separate the groups.
    if (entry.isEmpty())
        return;
    const portprov::AddressInput address = portprov::CheckAddress(
        entry.toStdString(), portprov::Rounding::HalfEven, LocaleNumberFormat());
    if (!Accepted(address))
        return;
    const bool read = RunPortCommand([&] {
        if (row == kStatusRegisterEntry)
            lamps_->showDirection(portprov::DataDirection::Read);
        Text1->setText(entry);
        const std::uint8_t byte = portprov::DlPortReadPortUchar(address.port);
        lblValue->setText(QString::number(byte));
        portprov::ShowByteOnLamps(*lamps_, byte, PinRuleFor(address.port));
    });
    if (!read) {
        // The address did not change, so no entry stands chosen; the same one
        // can be chosen again. Done once the list has finished this choice.
        QTimer::singleShot(0, List1, [list = List1] {
            const QSignalBlocker quiet(list);
            list->clearSelection();
        });
    }
}

void frmPortCom::setReportedParallelPorts(const std::vector<std::uint16_t>& bases) {
    otherParallelBases_ = portprov::OtherParallelBases(bases);
    const QSignalBlocker quiet(List1);
    while (List1->count() > kFixedEntries)
        delete List1->takeItem(List1->count() - 1);
    for (const std::string& entry : portprov::AddressEntriesFor(otherParallelBases_))
        List1->addItem(QString::fromStdString(entry));
}

std::optional<portprov::Register> frmPortCom::PinRuleFor(std::uint16_t port) const {
    return portprov::PinRuleAt(port, otherParallelBases_);
}
