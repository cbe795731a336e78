// SPDX-License-Identifier: MIT
#include "ports/SavedRegisters.h"

#include "connector/Connector.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"

#include <string>

namespace portprov {

SavedRegisters::~SavedRegisters() {
    // The sequence failed already; its failure is the one reported.
    (void)writeBack();
}

void SavedRegisters::save() {
    const std::uint8_t control = DlPortReadPortUchar(base_ + kControlOffset);
    control_ = control;
    pending_ = true;
    const std::uint8_t dataInput = Bit(control_bit::kBidirectional);
    if ((control & dataInput) != 0)
        DlPortWritePortUchar(base_ + kControlOffset, control & ~dataInput);
    data_ = DlPortReadPortUchar(base_ + kDataOffset);
}

std::optional<PortError> SavedRegisters::writeBack() {
    if (!pending_)
        return std::nullopt;
    pending_ = false;
    std::optional<PortError> failure;
    const auto write = [&](std::int32_t port, std::uint8_t value) {
        try {
            DlPortWritePortUchar(port, value);
        } catch (const PortError& error) {
            if (!failure)
                failure = error;
        }
    };
    if (extra_)
        write(extra_->port, extra_->value);
    if (data_)
        write(base_ + kDataOffset, *data_);
    write(base_ + kControlOffset, *control_);
    return failure;
}

namespace {

// The control bits a port has. Bits 6 and 7 do nothing and most ports read
// them as 1: the user who wrote 32 knows the register as 32, not 224.
constexpr std::uint8_t kControlBits =
    kControlOutputLines | Bit(control_bit::kInterruptEnable) | Bit(control_bit::kBidirectional);

} // namespace

std::string SavedRegisters::notRestoredText() const {
    std::string values;
    if (extra_)
        values = std::to_string(extra_->port) + " ska vara " + std::to_string(extra_->value) + ", ";
    if (data_)
        values +=
            std::to_string(base_ + kDataOffset) + " ska vara " + std::to_string(*data_) + " och ";
    values += std::to_string(base_ + kControlOffset) + " ska vara " +
              std::to_string(*control_ & kControlBits);
    return "Porten kunde inte återställas efter testet: " + values +
           ". Skriv in de värdena på portarna när porten svarar igen.";
}

void SavedRegisters::restore() {
    if (auto failure = writeBack())
        throw PortError(failure->kind(), std::string(failure->what()) + "\n" + notRestoredText());
}

void SavedRegisters::restoreAfter(const PortError& failure) {
    if (writeBack())
        throw PortError(failure.kind(), std::string(failure.what()) + "\n" + notRestoredText());
}

} // namespace portprov
