// SPDX-License-Identifier: MIT
#include "cli/RecordRequest.h"

#include "input/CommandInputs.h"
#include "recording/Recorder.h"

#include <algorithm>
#include <cmath>

namespace portprov {

namespace {

CheckedRecordRequest Refused(std::string text) {
    return {std::nullopt, std::move(text)};
}

// "[ADDRESS:]PIN:EDGE": the edge after the last colon, the pin before it,
// and the address, if any, before that.
std::optional<RecordPlan::Trigger> ReadTrigger(const std::string& text,
                                               const NumberFormat& format) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const std::string edge = text.substr(colon + 1);
    if (edge != "rise" && edge != "fall")
        return std::nullopt;
    const auto before = colon == 0 ? std::string::npos : text.rfind(':', colon - 1);
    const std::size_t pinStart = before == std::string::npos ? 0 : before + 1;
    const std::string pin = text.substr(pinStart, colon - pinStart);
    if (pin.empty() || pin.size() > 2 ||
        !std::all_of(pin.begin(), pin.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int number = std::stoi(pin);
    if (number < 1 || number > 25)
        return std::nullopt;
    RecordPlan::Trigger trigger{number, edge == "rise"};
    if (before != std::string::npos) {
        const AddressInput address =
            CheckAddress(text.substr(0, before), Rounding::HalfEven, format);
        if (!address.accepted)
            return std::nullopt;
        trigger.address = address.port;
    }
    return trigger;
}

} // namespace

DurationInput ReadDuration(const std::string& text, const NumberFormat& format) {
    const std::optional<double> seconds = ReadNumber(text, format);
    if (!seconds || !(*seconds > 0.0) || *seconds > double(kLongestRecording.count()))
        return {std::nullopt, "Ogiltig längd: skriv --duration SEKUNDER, mer än 0 och högst " +
                                  std::to_string(kLongestRecording.count()) + "."};
    const std::chrono::nanoseconds length(std::llround(*seconds * 1e9));
    if (length.count() == 0)
        return {std::nullopt, "Ogiltig längd: kortare än en nanosekund."};
    return {length, {}};
}

CheckedRecordRequest CheckRecordRequest(const RecordRequest& request, const NumberFormat& format) {
    RecordPlan plan;
    for (const std::string& text : request.addresses) {
        const AddressInput address = CheckAddress(text, Rounding::HalfEven, format);
        if (!address.accepted)
            return Refused(address.refusal);
        if (std::find(plan.ports.begin(), plan.ports.end(), address.port) == plan.ports.end())
            plan.ports.push_back(address.port);
    }
    if (request.startWrite) {
        const PortOperation& write = *request.startWrite;
        ValueInput value = CheckValue(write.value, Rounding::Floor, format);
        if (!value.accepted)
            return Refused(value.refusal);
        const AddressInput address = CheckAddress(write.address, Rounding::Floor, format);
        if (!address.accepted)
            return Refused(address.refusal);
        if (IsControlRegisterWrite(address.port)) {
            value = CheckValue(write.value, Rounding::HalfEven, format);
            if (!value.accepted)
                return Refused(value.refusal);
        }
        plan.startWrite = std::pair{address.port, value.value};
    }
    if (request.duration) {
        const DurationInput duration = ReadDuration(*request.duration, format);
        if (!duration.length)
            return Refused(duration.refusal);
        plan.duration = *duration.length;
    }
    if (request.samples) {
        const std::optional<double> count = ReadNumber(*request.samples, format);
        if (!count || *count < 1.0 || *count != std::floor(*count) || *count > 1e15)
            return Refused("Ogiltigt antal mätningar: skriv --samples ANTAL, ett heltal från 1");
        plan.samples = static_cast<std::uint64_t>(*count);
    }
    if (request.rate) {
        const std::optional<double> hertz = ReadNumber(*request.rate, format);
        if (!hertz || !(*hertz >= kSlowestRecordingRate) || *hertz > kFastestRecordingRate)
            return Refused("Ogiltig takt: skriv --rate HZ, från 1000 till 1000000");
        plan.rate = *hertz;
    }
    if (request.trigger) {
        plan.trigger = ReadTrigger(*request.trigger, format);
        if (!plan.trigger)
            return Refused("Ogiltig start: skriv --trigger STIFT:rise eller STIFT:fall, "
                           "med adressen först där stiftet finns på flera portar, till exempel "
                           "11:fall eller 513:3:fall");
    }
    if (request.tolerance) {
        const std::optional<double> seconds = ReadNumber(*request.tolerance, format);
        const double most = double(kLongestRecording.count());
        if (!seconds || !(*seconds > 0.0) || *seconds > most || std::llround(*seconds * 1e9) == 0)
            return Refused("Ogiltig tolerans: skriv --tolerance SEKUNDER, mer än 0 och högst " +
                           std::to_string(kLongestRecording.count()) + ".");
        plan.tolerance = std::chrono::nanoseconds(std::llround(*seconds * 1e9));
    }
    return {plan, {}};
}

} // namespace portprov
