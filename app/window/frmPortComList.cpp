// SPDX-License-Identifier: MIT
// The address list: choosing an entry makes it the active address and reads it.
#include "window/frmPortCom.h"

#include "input/CommandInputs.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/ParallelPorts.h"
#include "ports/ReportedParallelPorts.h"
#include "window/LocaleNumbers.h"
#include "window/WindowLampPanel.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

constexpr int kStatusRegisterEntry = 1; // the entry "889"
constexpr int kFixedEntries = 20;       // the entries the list always has

} // namespace

void frmPortCom::List1_Click() {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    const int row = selected.isEmpty() ? -1 : List1->row(selected.constFirst());
    if (ReadListEntry(row)) {
        chosenEntry_ = row;
        return;
    }
    // The read failed: the entry chosen before stands chosen again, as the
    // rest of the window stands as it was, and is not read again. Done once
    // the list has finished this choice, which would otherwise overwrite it.
    QTimer::singleShot(0, List1, [list = List1, row = chosenEntry_] {
        const QSignalBlocker quiet(list);
        if (row < 0)
            list->selectionModel()->clear();
        else
            list->setCurrentRow(row);
    });
}

bool frmPortCom::ReadListEntry(int row) {
    const QString entry = row < 0 ? QString() : List1->item(row)->text();
    // The blank entries only separate the groups.
    if (entry.isEmpty())
        return true;
    const portprov::AddressInput address = portprov::CheckAddress(
        entry.toStdString(), portprov::Rounding::HalfEven, LocaleNumberFormat());
    if (!Accepted(address))
        return true;
    const bool read = RunPortCommand([&] {
        if (row == kStatusRegisterEntry)
            lamps_->showDirection(portprov::DataDirection::Read);
        Text1->setText(entry);
        ShowByteRead(address.port, PinRuleFor(address.port));
    });
    // A chosen entry is a confirmed address: continuous reading goes on there.
    if (read)
        ConfirmLiveAddress(entry);
    return read;
}

void frmPortCom::setReportedParallelPorts(const std::vector<std::uint16_t>& bases) {
    reportedParallelBases_ = bases;
    otherParallelBases_ = portprov::OtherParallelBases(bases);
    const QSignalBlocker quiet(List1);
    while (List1->count() > kFixedEntries)
        delete List1->takeItem(List1->count() - 1);
    for (const std::string& entry : portprov::AddressEntriesFor(otherParallelBases_)) {
        List1->addItem(QString::fromStdString(entry));
        // A screen reader names the blank separator as the fixed ones.
        if (entry.empty())
            List1->item(List1->count() - 1)
                ->setData(Qt::AccessibleTextRole, QStringLiteral("tom rad"));
    }
}

std::optional<portprov::Register> frmPortCom::PinRuleFor(std::uint16_t port) const {
    const std::optional<portprov::ParallelRegister> parallel =
        portprov::ParallelRegisterAt(port, reportedParallelBases_);
    // The drawn connector is LPT1's, and shows another port's register only
    // where the computer reports a port there: at 632 or 956 with no port
    // behind them the floating bus reads 255, which would light all eight
    // data lamps for lines that do not exist. --read and a recording still
    // name the pins of any usual base, as they only name what was asked for.
    if (!parallel ||
        (parallel->base != portprov::kLpt1Base &&
         std::ranges::find(reportedParallelBases_, parallel->base) == reportedParallelBases_.end()))
        return std::nullopt;
    const std::optional<portprov::Register> shown = parallel->reg;
    // A read leaves the control pins and the direction text as the control
    // command set them: they show what the user last wrote there, not the
    // bits a read gives back (many ports read bits 6 and 7 as 1). --read
    // names them, as its line stands alone.
    return shown == portprov::Register::Control ? std::nullopt : shown;
}
