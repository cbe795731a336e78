#include "CommandInputs.h"

#include "PortIo.h"

#include <cmath>

namespace portprov {

namespace {

double Whole(double number, Rounding rounding) {
    return rounding == Rounding::Floor ? std::floor(number) : RoundHalfEven(number);
}

} // namespace

AddressInput CheckAddress(std::string_view text, Rounding rounding, const NumberFormat& format) {
    AddressInput input;
    const std::optional<double> number = ReadNumber(text, format);
    if (!number) {
        input.refusal = kInvalidAddressMessage;
        return input;
    }
    const double whole = Whole(*number, rounding);
    if (!(whole >= 0.0 && whole <= static_cast<double>(kHighestPort))) {
        input.refusal = kInvalidAddressMessage;
        return input;
    }
    input.accepted = true;
    input.port = static_cast<std::uint16_t>(whole);
    return input;
}

ValueInput CheckValue(std::string_view text, Rounding rounding, const NumberFormat& format) {
    ValueInput input;
    if (text.empty()) {
        input.refusal = kEmptyValueMessage;
        return input;
    }
    const std::optional<double> number = ReadNumber(text, format);
    if (!number) {
        input.refusal = kInvalidValueMessage;
        return input;
    }
    const double whole = Whole(*number, rounding);
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

} // namespace portprov
