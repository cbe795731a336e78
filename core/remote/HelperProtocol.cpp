// SPDX-License-Identifier: MIT
#include "remote/HelperProtocol.h"

#include "loopback/LoopbackWiring.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace portprov::helper_protocol {

namespace {

using std::chrono::nanoseconds;

// Little-endian fields into a frame's payload. Text longer than the room
// left is cut at a character's start, so that what arrives is still UTF-8.
class Writer {
public:
    explicit Writer(Kind kind) : kind_(kind) {}

    void u8(std::uint64_t value) { put(value, 1); }
    void u16(std::uint64_t value) { put(value, 2); }
    void u32(std::uint64_t value) { put(value, 4); }
    void u64(std::uint64_t value) { put(value, 8); }
    void i64(std::int64_t value) { u64(static_cast<std::uint64_t>(value)); }
    void f64(double value) { u64(std::bit_cast<std::uint64_t>(value)); }
    void text(const std::string& value) {
        std::size_t size = std::min(value.size(), kPayloadSize - used_ - 2);
        while (size > 0 && size < value.size() &&
               (static_cast<unsigned char>(value[size]) & 0xC0) == 0x80)
            --size;
        u16(size);
        std::copy_n(value.begin(), size, frame_.begin() + kHeaderSize + used_);
        used_ += size;
    }

    Frame finish() {
        Frame frame = frame_;
        std::size_t at = 0;
        const auto field = [&](std::uint64_t value, std::size_t bytes) {
            for (std::size_t i = 0; i < bytes; ++i)
                frame[at++] = static_cast<std::uint8_t>(value >> (8 * i));
        };
        field(kMagic, 4);
        field(kVersion, 2);
        field(static_cast<std::uint16_t>(kind_), 2);
        field(used_, 4);
        return frame;
    }

private:
    void put(std::uint64_t value, std::size_t bytes) {
        if (used_ + bytes > kPayloadSize)
            throw std::logic_error("helper_protocol: a message larger than its frame");
        for (std::size_t i = 0; i < bytes; ++i)
            frame_[kHeaderSize + used_++] = static_cast<std::uint8_t>(value >> (8 * i));
    }

    Kind kind_;
    Frame frame_{};
    std::size_t used_ = 0;
};

// Reads the fields back; any read past the payload, or a value out of its
// range, marks the frame bad instead of throwing.
class Reader {
public:
    Reader(const Frame& frame, std::size_t size) : frame_(frame), size_(size) {}

    std::uint64_t u8() { return get(1); }
    std::uint64_t u16() { return get(2); }
    std::uint64_t u32() { return get(4); }
    std::uint64_t u64() { return get(8); }
    std::int64_t i64() { return static_cast<std::int64_t>(get(8)); }
    double f64() { return std::bit_cast<double>(get(8)); }
    bool flag() { return check(u8(), 1) != 0; }
    std::string text() {
        const std::size_t size = u16();
        if (!ok_ || used_ + size > size_) {
            ok_ = false;
            return {};
        }
        std::string value(frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + used_),
                          frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + used_ + size));
        used_ += size;
        return value;
    }
    // value, or marks the frame bad when it is above highest.
    std::uint64_t check(std::uint64_t value, std::uint64_t highest) {
        if (value > highest)
            ok_ = false;
        return value;
    }
    void require(bool condition) { ok_ = ok_ && condition; }
    // Every byte of the payload read, and nothing but zeros after it.
    bool whole() const {
        return ok_ && used_ == size_ &&
               std::all_of(frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + size_),
                           frame_.end(), [](std::uint8_t byte) { return byte == 0; });
    }

private:
    std::uint64_t get(std::size_t bytes) {
        if (!ok_ || used_ + bytes > size_) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            value |= std::uint64_t{frame_[kHeaderSize + used_++]} << (8 * i);
        return value;
    }

    const Frame& frame_;
    std::size_t size_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

std::uint64_t Field(const Frame& frame, std::size_t at, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value |= std::uint64_t{frame[at + i]} << (8 * i);
    return value;
}

// The header's kind and payload size, or why the frame is none of ours.
std::variant<std::pair<Kind, std::size_t>, Refusal> ReadHeader(const Frame& frame) {
    if (Field(frame, 0, 4) != kMagic)
        return Refusal{"Meddelandet är inte portprov-io:s."};
    if (Field(frame, 4, 2) != kVersion)
        return Refusal{"Fönstret och portprov-io är av olika versioner. Installera om Portprov."};
    const std::size_t size = Field(frame, 8, 4);
    if (size > kPayloadSize)
        return Refusal{"Meddelandet är längre än sin ram."};
    return std::pair{static_cast<Kind>(Field(frame, 6, 2)), size};
}

std::uint16_t Port(Reader& in) {
    return static_cast<std::uint16_t>(in.check(in.u32(), 65535));
}

// A base whose three registers are all addresses.
std::uint16_t Base(Reader& in) {
    return static_cast<std::uint16_t>(in.check(in.u32(), 65533));
}

void WriteRecord(Writer& out, const RecorderOptions& options) {
    out.u8(options.ports.size());
    for (const std::int32_t port : options.ports)
        out.u32(static_cast<std::uint32_t>(port));
    out.u8(options.rate.has_value());
    out.f64(options.rate.value_or(0.0));
    const auto* duration = std::get_if<nanoseconds>(&options.length);
    out.u8(duration == nullptr);
    out.u64(duration ? static_cast<std::uint64_t>(duration->count())
                     : std::get<std::uint64_t>(options.length));
    const auto trigger = options.trigger.value_or(RecorderOptions::Trigger{});
    out.u8(options.trigger.has_value());
    out.u8(trigger.channel);
    out.u8(static_cast<std::uint64_t>(trigger.bit));
    out.u8(trigger.inverted);
    out.u8(trigger.edge == Edge::Fall);
    out.f64(trigger.before);
    const auto write = options.startWrite.value_or(RecorderOptions::Write{});
    out.u8(options.startWrite.has_value());
    out.u32(static_cast<std::uint32_t>(write.port));
    out.u8(write.value);
}

RecorderOptions ReadRecord(Reader& in) {
    RecorderOptions options;
    const std::size_t count = in.u8();
    in.require(count >= 1 && count <= kMostRecordedPorts);
    for (std::size_t i = 0; i < count && i < kMostRecordedPorts; ++i)
        options.ports.push_back(Port(in));
    const bool hasRate = in.flag();
    const double rate = in.f64();
    if (hasRate) {
        in.require(rate >= kSlowestRecordingRate && rate <= kFastestRecordingRate);
        options.rate = rate;
    }
    const bool samples = in.flag();
    const std::uint64_t length = in.u64();
    in.require(length > 0);
    if (samples) {
        options.length = in.check(length, kMostRecordedSamples);
    } else {
        in.check(length, static_cast<std::uint64_t>(nanoseconds(kLongestRecording).count()));
        options.length = nanoseconds(static_cast<std::int64_t>(length));
    }
    RecorderOptions::Trigger trigger;
    const bool hasTrigger = in.flag();
    trigger.channel = static_cast<std::uint32_t>(in.u8());
    trigger.bit = static_cast<int>(in.check(in.u8(), 7));
    trigger.inverted = in.flag();
    trigger.edge = in.flag() ? Edge::Fall : Edge::Rise;
    trigger.before = in.f64();
    if (hasTrigger) {
        in.require(trigger.channel < count && trigger.before >= 0.0 && trigger.before < 1.0);
        options.trigger = trigger;
    }
    const bool hasWrite = in.flag();
    RecorderOptions::Write write;
    write.port = Port(in);
    write.value = static_cast<std::uint8_t>(in.u8());
    if (hasWrite)
        options.startWrite = write;
    return options;
}

} // namespace

Frame Encode(const Request& request) {
    Writer out(request.kind);
    switch (request.kind) {
    case Kind::Read:
    case Kind::Hold:
    case Kind::Release:
    case Kind::Probe:
        out.u32(request.port);
        break;
    case Kind::Write:
        out.u32(request.port);
        out.u8(request.value);
        break;
    case Kind::TogglePin:
        out.u32(request.port);
        out.u8(static_cast<std::uint64_t>(request.pin));
        break;
    case Kind::Loopback:
        out.u32(request.port);
        out.u8(request.plug == LoopbackPlug::Data);
        break;
    case Kind::TestLine:
        out.u32(request.port);
        out.u64(static_cast<std::uint64_t>(request.byteWait.count()));
        out.text(request.text);
        break;
    case Kind::Record:
        WriteRecord(out, request.record);
        break;
    default:
        break;
    }
    return out.finish();
}

std::variant<Request, Refusal> ParseRequest(const Frame& frame) {
    const auto header = ReadHeader(frame);
    if (const auto* refusal = std::get_if<Refusal>(&header))
        return *refusal;
    const auto [kind, size] = std::get<std::pair<Kind, std::size_t>>(header);
    Reader in(frame, size);
    Request request;
    request.kind = kind;
    switch (kind) {
    case Kind::Hello:
    case Kind::StopRecording:
        break;
    case Kind::Read:
    case Kind::Hold:
    case Kind::Release:
        request.port = Port(in);
        break;
    case Kind::Write:
        request.port = Port(in);
        request.value = static_cast<std::uint8_t>(in.u8());
        break;
    case Kind::Probe:
        request.port = Base(in);
        break;
    case Kind::TogglePin:
        request.port = Base(in);
        request.pin = static_cast<int>(in.u8());
        in.require(request.pin >= 1 && request.pin <= 25);
        break;
    case Kind::Loopback:
        request.port = Base(in);
        request.plug = in.flag() ? LoopbackPlug::Data : LoopbackPlug::Control;
        break;
    case Kind::TestLine:
        request.port = Base(in);
        request.byteWait = nanoseconds(static_cast<std::int64_t>(
            in.check(in.u64(), static_cast<std::uint64_t>(nanoseconds(kLongestByteWait).count()))));
        request.text = in.text();
        in.require(request.text.size() <= kLongestTestLine);
        break;
    case Kind::Record:
        request.record = ReadRecord(in);
        break;
    default:
        return Refusal{"portprov-io känner inte igen begäran."};
    }
    if (!in.whole())
        return Refusal{"Begäran till portprov-io är felaktig och avvisades."};
    return request;
}

Frame Encode(const Answer& answer) {
    Writer out(answer.kind);
    switch (answer.kind) {
    case Kind::Ready:
        out.text(answer.text);
        break;
    case Kind::Byte:
        out.u8(answer.value);
        break;
    case Kind::Failed:
        out.u8(static_cast<std::uint64_t>(answer.errorKind));
        out.text(answer.text);
        break;
    case Kind::PinToggled:
        out.u8(static_cast<std::uint64_t>(answer.toggle.outcome));
        out.u8(static_cast<std::uint64_t>(answer.toggle.reg));
        out.u8(answer.toggle.written);
        out.u8(answer.toggle.readBack);
        break;
    case Kind::LoopbackDone:
        out.u8(answer.loopback.plug == LoopbackPlug::Data);
        out.u32(answer.loopback.base);
        out.u8(answer.loopback.wires.size());
        for (const WireReport& wire : answer.loopback.wires) {
            out.u8(static_cast<std::uint64_t>(wire.result));
            out.u8(wire.joinedWith.has_value());
            out.u8(wire.joinedWith.value_or(0));
        }
        break;
    case Kind::ProbeDone:
        out.u32(answer.modes.base);
        for (std::size_t i = 0; i < kPortModes.size(); ++i) {
            out.u8(static_cast<std::uint64_t>(answer.modes.answers[i]));
            out.u8(answer.modes.unreached[i].has_value());
            out.u32(answer.modes.unreached[i].value_or(0));
        }
        break;
    case Kind::Printed:
        out.u64(answer.count);
        break;
    case Kind::Progress:
        out.f64(answer.progress);
        out.u8(answer.waiting);
        break;
    case Kind::Changes:
        out.u16(answer.changes.size());
        for (const Recording::Change& change : answer.changes) {
            out.i64(change.time.count());
            out.u8(change.channel);
            out.u8(change.value);
        }
        break;
    case Kind::Recorded:
        out.u8(answer.end.initial.size());
        for (const std::uint8_t value : answer.end.initial)
            out.u8(value);
        out.i64(answer.end.length.count());
        out.u8(answer.end.triggerTime.has_value());
        out.i64(answer.end.triggerTime.value_or(nanoseconds{}).count());
        out.u64(answer.end.stats.samples);
        out.f64(answer.end.stats.meanRate);
        out.i64(answer.end.stats.longestGap.count());
        out.u64(answer.end.stats.lateSamples);
        out.u8(answer.end.stats.outOfMemory);
        break;
    default:
        break;
    }
    return out.finish();
}

namespace {

void ReadLoopback(Reader& in, LoopbackReport& report) {
    report.plug = in.flag() ? LoopbackPlug::Data : LoopbackPlug::Control;
    report.base = Base(in);
    const auto wiring = WiringOf(report.plug);
    const std::size_t count = in.u8();
    in.require(count == wiring.size());
    for (std::size_t i = 0; i < count && i < wiring.size(); ++i) {
        WireReport wire{wiring[i], WireResult::Works, std::nullopt};
        wire.result = static_cast<WireResult>(in.check(in.u8(), 4));
        const bool joined = in.flag();
        const std::size_t with = in.check(in.u8(), wiring.size() - 1);
        if (joined)
            wire.joinedWith = with;
        report.wires.push_back(wire);
    }
}

void ReadModes(Reader& in, PortModes& modes) {
    modes.base = Base(in);
    for (std::size_t i = 0; i < kPortModes.size(); ++i) {
        modes.answers[i] = static_cast<ModeAnswer>(in.check(in.u8(), 2));
        const bool unreached = in.flag();
        const auto port = Port(in);
        if (unreached)
            modes.unreached[i] = port;
    }
}

void ReadEnd(Reader& in, RecordedEnd& end) {
    const std::size_t count = in.u8();
    in.require(count >= 1 && count <= kMostRecordedPorts);
    for (std::size_t i = 0; i < count && i < kMostRecordedPorts; ++i)
        end.initial.push_back(static_cast<std::uint8_t>(in.u8()));
    end.length = nanoseconds(in.i64());
    const bool triggered = in.flag();
    const nanoseconds trigger(in.i64());
    if (triggered)
        end.triggerTime = trigger;
    end.stats.samples = in.u64();
    end.stats.meanRate = in.f64();
    end.stats.longestGap = nanoseconds(in.i64());
    end.stats.lateSamples = in.u64();
    end.stats.outOfMemory = in.flag();
    in.require(std::isfinite(end.stats.meanRate));
}

} // namespace

std::variant<Answer, Refusal> ParseAnswer(const Frame& frame) {
    const auto header = ReadHeader(frame);
    if (const auto* refusal = std::get_if<Refusal>(&header))
        return *refusal;
    const auto [kind, size] = std::get<std::pair<Kind, std::size_t>>(header);
    Reader in(frame, size);
    Answer answer;
    answer.kind = kind;
    switch (kind) {
    case Kind::Done:
    case Kind::RecordStarted:
        break;
    case Kind::Ready:
        answer.text = in.text();
        break;
    case Kind::Byte:
        answer.value = static_cast<std::uint8_t>(in.u8());
        break;
    case Kind::Failed:
        answer.errorKind =
            static_cast<PortErrorKind>(in.check(in.u8(), static_cast<std::uint64_t>(PortErrorKind::FailedAccess)));
        answer.text = in.text();
        break;
    case Kind::PinToggled:
        answer.toggle.outcome = static_cast<PinToggle::Outcome>(in.check(in.u8(), 2));
        answer.toggle.reg = static_cast<Register>(in.check(in.u8(), 2));
        answer.toggle.written = static_cast<std::uint8_t>(in.u8());
        answer.toggle.readBack = static_cast<std::uint8_t>(in.u8());
        break;
    case Kind::LoopbackDone:
        ReadLoopback(in, answer.loopback);
        break;
    case Kind::ProbeDone:
        ReadModes(in, answer.modes);
        break;
    case Kind::Printed:
        answer.count = in.check(in.u64(), kLongestTestLine);
        break;
    case Kind::Progress:
        answer.progress = in.f64();
        in.require(answer.progress >= 0.0 && answer.progress <= 1.0);
        answer.waiting = in.flag();
        break;
    case Kind::Changes: {
        const std::size_t count = in.check(in.u16(), kChangesPerFrame);
        for (std::size_t i = 0; i < count && i < kChangesPerFrame; ++i) {
            const nanoseconds time(in.i64());
            const auto channel = static_cast<std::uint32_t>(in.check(in.u8(), kMostRecordedPorts - 1));
            answer.changes.push_back({time, channel, static_cast<std::uint8_t>(in.u8())});
        }
        break;
    }
    case Kind::Recorded:
        ReadEnd(in, answer.end);
        break;
    default:
        return Refusal{"portprov-io gav ett svar som fönstret inte känner igen."};
    }
    if (!in.whole())
        return Refusal{"portprov-io gav ett felaktigt svar."};
    return answer;
}

Answer FailureAnswer(const PortError& error) {
    Answer answer;
    answer.kind = Kind::Failed;
    answer.errorKind = error.kind();
    answer.text = error.what();
    return answer;
}

} // namespace portprov::helper_protocol
