// SPDX-License-Identifier: MIT
#include "cli/GenerateRequest.h"

#include "cli/ReadFailure.h"
#include "cli/RecordRequest.h"
#include "cli/SummaryNumbers.h"
#include "connector/GamePort.h"
#include "generating/PlayedFile.h"
#include "input/CommandInputs.h"
#include "ports/ParallelPorts.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <variant>
#include <vector>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

constexpr int kBadCommandLine = 2;
constexpr int kBadFile = 1;

CheckedGenerateRequest Refused(std::string text, int status = kBadCommandLine) {
    return {std::nullopt, std::move(text), status};
}

std::vector<std::string> Parts(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            return parts;
        start = colon + 1;
    }
}

std::optional<double> WholeNumber(const std::string& text, const NumberFormat& format) {
    const std::optional<double> number = ReadNumber(text, format);
    if (!number || *number != std::floor(*number))
        return std::nullopt;
    return number;
}

// The output pin, or the refusal.
std::optional<std::string> PinRefusal(const std::string& text, const NumberFormat& format,
                                      int& pin) {
    const std::optional<double> number = WholeNumber(text, format);
    const std::string outputs = "välj ett av utgångarnas stift 1-9, 14, 16 eller 17.";
    if (!number || *number < 1 || *number > 25)
        return "Ogiltigt stift \"" + text + "\": " + outputs;
    pin = static_cast<int>(*number);
    if (!IsGeneratorPin(pin))
        return "Stift " + std::to_string(pin) + " är ingen utgång: " + outputs;
    return std::nullopt;
}

std::optional<std::string> RateRefusal(const std::string& text, const NumberFormat& format,
                                       double& hz) {
    const std::optional<double> number = ReadNumber(text, format);
    if (!number || !(*number >= kLowestSignalRate) || *number > kHighestSignalRate)
        return "Ogiltig frekvens \"" + text + "\": skriv HZ från 1 till 100000.";
    hz = *number;
    return std::nullopt;
}

// --square PIN:HZ[:DUTY], with --duration its length.
CheckedGenerateRequest ReadSquare(const GenerateRequest& request, std::uint16_t base,
                                  const NumberFormat& format) {
    const std::vector<std::string> parts = Parts(request.signal);
    if (parts.size() < 2 || parts.size() > 3)
        return Refused("--square tar STIFT:HZ[:PULSKVOT], till exempel 2:1000 eller 2:1000:25.");
    SquareWave square;
    int pin = 0;
    if (auto refusal = PinRefusal(parts[0], format, pin))
        return Refused(*refusal);
    square.pins = {pin};
    if (auto refusal = RateRefusal(parts[1], format, square.hz))
        return Refused(*refusal);
    if (parts.size() == 3) {
        const std::optional<double> duty = ReadNumber(parts[2], format);
        if (!duty || !(*duty > 0.0) || !(*duty < 100.0))
            return Refused("Ogiltig pulskvot \"" + parts[2] +
                           "\": skriv procent, mer än 0 och mindre än 100.");
        square.duty = *duty;
    }
    if (request.duration) {
        const DurationInput duration = ReadDuration(*request.duration, format);
        if (!duration.length)
            return Refused(duration.refusal);
        square.duration = *duration.length;
    }
    return {GeneratePlan{base, square, {}, {}}, {}, 0};
}

// --pulses PIN:COUNT:HZ.
CheckedGenerateRequest ReadPulses(const GenerateRequest& request, std::uint16_t base,
                                  const NumberFormat& format) {
    const std::vector<std::string> parts = Parts(request.signal);
    if (parts.size() != 3)
        return Refused("--pulses tar STIFT:ANTAL:HZ, till exempel 2:10:1000.");
    PulseTrain pulses;
    int pin = 0;
    if (auto refusal = PinRefusal(parts[0], format, pin))
        return Refused(*refusal);
    pulses.pins = {pin};
    const std::optional<double> count = WholeNumber(parts[1], format);
    if (!count || *count < 1 || *count > static_cast<double>(kMostPulses))
        return Refused("Ogiltigt antal pulser \"" + parts[1] + "\": skriv ett heltal från 1 till " +
                       std::to_string(kMostPulses) + ".");
    pulses.count = static_cast<std::uint64_t>(*count);
    if (auto refusal = RateRefusal(parts[2], format, pulses.hz))
        return Refused(*refusal);
    return {GeneratePlan{base, pulses, {}, {}}, {}, 0};
}

// --play FILE: reads the file; the refusal names the file.
CheckedGenerateRequest ReadPlayed(const GenerateRequest& request, std::uint16_t base,
                                  const NumberFormat& /*format*/) {
    const std::string& path = request.signal;
    // A folder opens as a file on some systems and then reads as nothing.
    std::error_code isFolder;
    if (std::filesystem::is_directory(path, isFolder))
        return Refused(CannotReadMessage(path, EISDIR), kBadFile);
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Refused(CannotReadMessage(path, errno), kBadFile);
    PlayedFileResult read = ReadPlayedFile(in, base);
    if (!read.sequence)
        return Refused(path + ": " + read.refusal, kBadFile);
    return {GeneratePlan{base, std::move(*read.sequence), {}, std::move(read.ignored)}, {}, 0};
}

// A --duration given where it is the recording's length, which must cover
// the signal.
std::optional<std::string> RecordingLengthRefusal(const GenerateRequest& request,
                                                  const SignalOption& option, nanoseconds signal,
                                                  bool recording, const NumberFormat& format) {
    if (!request.duration)
        return std::nullopt;
    if (!recording)
        return "--duration är fyrkantsvågens längd; med " + SignalOptionNames("och", true) +
               " är den inspelningens och hör till --record.";
    const std::optional<double> seconds = ReadNumber(*request.duration, format);
    // A duration that is no number at all is the recorder's to refuse.
    if (!seconds || !(*seconds * 1e9 < static_cast<double>(signal.count())))
        return std::nullopt;
    return "--duration " + Decimal(*seconds, 3, SwedishNumberFormat()) + " s är kortare " +
           option.outlastedBy + Duration(signal, SwedishNumberFormat()) +
           ": inspelningen ska räcka hela signalen.";
}

} // namespace

// The first register of the base that is not the base's own (an address of
// another port), one past 65535, or one of the game port's.
std::optional<std::string> BaseRefusal(std::uint16_t base) {
    const std::string named = "--port " + std::to_string(base);
    if (base > 65535 - 2)
        return named + ": portens tre register går förbi adressen 65535.";
    const std::array<std::uint16_t, 1> bases{base};
    constexpr std::array<Register, 3> kRegisters{Register::Data, Register::Status,
                                                 Register::Control};
    for (std::uint16_t offset = 0; offset < 3; ++offset) {
        const auto port = static_cast<std::uint16_t>(base + offset);
        if (IsGamePort(port))
            return named + ": registret " + std::to_string(port) +
                   " hör till spelporten, som inga utgångar har.";
        const std::optional<ParallelRegister> reg = ParallelRegisterAt(port, bases);
        if (!reg || reg->reg != kRegisters[offset])
            return named + ": registret " + std::to_string(port) + " hör till parallellporten " +
                   std::to_string(reg ? reg->base : port) + ". Skriv en parallellports bas, " +
                   "till exempel 888.";
    }
    return std::nullopt;
}

constexpr std::array<SignalOption, 3> kSignalOptions{{
    {"square", "stift:hz[:pulskvot]",
     "Fyrkantsvåg på utgångsstiftet, 1 till 100000 Hz, hög PULSKVOT procent av varje period "
     "(standard 50), i --duration sekunder (standard 1), utan fönster. Med --record spelas "
     "svaret in under tiden.",
     ReadSquare, nullptr, nanoseconds{0}},
    {"pulses", "stift:antal:hz",
     "ANTAL pulser (1 till 1000000000) på utgångsstiftet med HZ pulser i sekunden; stiftet "
     "slutar i sin vilonivå. Utan fönster.",
     ReadPulses, "än pulserna, som tar ", nanoseconds{0}},
    // A played file's last row is usually a change due at the very end, a
    // tie with the recording's last read: a millisecond more records it.
    {"play", "fil",
     "Spela upp en CSV-fil i inspelningens form (tid_s, sedan kolumner som stift2_d0) på "
     "portens utgångar, utan fönster; ingångarnas kolumner hoppas över.",
     ReadPlayed, "än filen, som spelas i ", std::chrono::milliseconds(1)},
}};
static_assert(kSignalOptions.size() == std::variant_size_v<Waveform>,
              "each kind of waveform has its command-line option");

std::string SignalOptionNames(const std::string& lastJoin, bool recordingDuration) {
    std::vector<std::string> names;
    for (const SignalOption& option : kSignalOptions) {
        if (!recordingDuration || option.outlastedBy != nullptr)
            names.push_back(std::string("--") + option.name);
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " " + lastJoin + " " : ", ") + names[i];
    return text;
}

CheckedGenerateRequest CheckGenerateRequest(const GenerateRequest& request, bool recording,
                                            const NumberFormat& format) {
    std::uint16_t base = 888;
    if (request.port) {
        const AddressInput address = CheckAddress(*request.port, Rounding::HalfEven, format);
        if (!address.accepted)
            return Refused("--port: " + address.refusal);
        if (auto refusal = BaseRefusal(address.port))
            return Refused(*refusal);
        base = address.port;
    }
    const SignalOption& option = kSignalOptions[static_cast<std::size_t>(request.kind)];
    CheckedGenerateRequest checked = option.read(request, base, format);
    if (!checked.plan)
        return checked;
    if (auto refusal = WaveformRefusal(checked.plan->waveform))
        return Refused(*refusal);
    const nanoseconds length = WaveformLength(checked.plan->waveform);
    if (option.outlastedBy != nullptr) {
        if (auto tooShort = RecordingLengthRefusal(request, option, length, recording, format))
            return Refused(*tooShort);
    }
    checked.plan->recordingLength = length + option.recordingTail;
    return checked;
}

} // namespace portprov
