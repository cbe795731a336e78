// SPDX-License-Identifier: MIT
#include "input/CommandInputs.h"

#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"

namespace portprov {

AddressInput CheckAddress(std::string_view text, Rounding rounding, const NumberFormat& format) {
    AddressInput input;
    const NumberResult<std::int32_t> number =
        rounding == Rounding::HalfEven ? ToLong(text, format) : FloorOf(text, format);
    if (!number || !IsValidPort(number.value())) {
        input.refusal = kInvalidAddressMessage;
        return input;
    }
    input.accepted = true;
    input.port = static_cast<std::uint16_t>(number.value());
    return input;
}

ValueInput CheckValue(std::string_view text, Rounding rounding, const NumberFormat& format) {
    ValueInput input;
    if (text.empty()) {
        input.refusal = kEmptyValueMessage;
        return input;
    }
    const std::optional<double> number = ReadWholeNumber(text, rounding, format);
    if (!number) {
        input.refusal = kInvalidValueMessage;
        return input;
    }
    const double whole = *number;
    if (!(whole >= 0.0)) {
        input.refusal = kInvalidValueMessage;
        return input;
    }
    input.accepted = true;
    if (whole > 255.0) {
        input.aboveRange = true;
        input.value = 255;
    } else {
        input.value = static_cast<std::uint8_t>(whole);
    }
    return input;
}

bool IsControlRegisterWrite(std::uint16_t port) {
    return port == kLpt1Control;
}

ValueInput CheckControlValue(std::string_view text, const NumberFormat& format) {
    return CheckValue(text, Rounding::HalfEven, format);
}

WriteInput CheckWrite(std::string_view valueText, std::string_view addressText,
                      const NumberFormat& format) {
    WriteInput input;
    input.value = CheckValue(valueText, Rounding::Floor, format);
    if (!input.value.accepted) {
        input.refusal = input.value.refusal;
        return input;
    }
    const AddressInput address = CheckAddress(addressText, Rounding::Floor, format);
    if (!address.accepted) {
        input.refusal = address.refusal;
        return input;
    }
    input.accepted = true;
    input.port = address.port;
    input.roundedDown = input.value.value;
    // A number that rounds down to a byte also rounds half to even to one.
    if (IsControlRegisterWrite(address.port))
        input.value = CheckControlValue(valueText, format);
    return input;
}

} // namespace portprov
