// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortError.h"

#include <cstdint>
#include <optional>

namespace portprov {

// A parallel port's data latch and control register, saved before a sequence
// drives them and written back after it, once: by restore() or
// restoreAfter(), which tell when the port could not be put back, or quietly
// by the destructor when the sequence is left by any other exception.
class SavedRegisters {
public:
    explicit SavedRegisters(std::int32_t base) : base_(base) {}
    ~SavedRegisters();
    SavedRegisters(const SavedRegisters&) = delete;
    SavedRegisters& operator=(const SavedRegisters&) = delete;

    // Reads the control register, then the data latch. While control bit 5
    // has the data lines turned to input, the data register reads the lines,
    // not the latch: the bit is cleared first (the sequence is about to drive
    // the lines anyway). Throws PortError; what was changed by then is still
    // written back.
    void save();
    std::uint8_t data() const { return data_.value_or(0); }
    std::uint8_t control() const { return control_.value_or(0); }
    // A register beside the three (an ECP port's ECR) that the sequence is
    // about to change, and the value it had: written back first of all.
    void keep(std::int32_t port, std::uint8_t value) { extra_ = {port, value}; }

    // Writes the kept register back, then the latch, then the control
    // register, bit 5 last of all.
    // Each is tried even when one fails; then PortError tells the user which
    // values the registers should have.
    void restore();
    // The same after failure ended the sequence: returns when the port is
    // back (the caller passes failure on), else throws failure's kind with
    // its message and the values the registers should have.
    void restoreAfter(const PortError& failure);

private:
    // Writes back what was saved; the first failure, if any.
    std::optional<PortError> writeBack();
    std::string notRestoredText() const;

    std::int32_t base_;
    std::optional<std::uint8_t> data_;
    std::optional<std::uint8_t> control_;
    struct Extra {
        std::int32_t port;
        std::uint8_t value;
    };
    std::optional<Extra> extra_;
    bool pending_ = false;
};

} // namespace portprov
