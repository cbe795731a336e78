// SPDX-License-Identifier: MIT
// portprov-io's answers to the window, written and read back.
#include "remote/FrameFields.h"

#include "loopback/LoopbackWiring.h"

#include <cmath>

namespace portprov::helper_protocol {

using std::chrono::nanoseconds;

void WriteEnd(Writer& out, const RecordedEnd& end) {
    out.u8(end.initial.size());
    for (const std::uint8_t value : end.initial)
        out.u8(value);
    out.i64(end.length.count());
    out.u8(end.triggerTime.has_value());
    out.i64(end.triggerTime.value_or(nanoseconds{}).count());
    out.u64(end.stats.samples);
    out.f64(end.stats.meanRate);
    out.i64(end.stats.longestGap.count());
    out.u64(end.stats.lateSamples);
    out.u8(end.stats.outOfMemory);
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
        WritePlug(out, answer.loopback.plug);
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
        WriteEnd(out, answer.end);
        break;
    case Kind::Generated:
        WriteGenerated(out, answer);
        break;
    default:
        break;
    }
    return out.finish();
}

namespace {

void ReadLoopback(Reader& in, LoopbackReport& report) {
    report.plug = ReadPlug(in);
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

} // namespace

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
    case Kind::GenerateStarted:
        break;
    case Kind::Ready:
        answer.text = in.text();
        break;
    case Kind::Byte:
        answer.value = static_cast<std::uint8_t>(in.u8());
        break;
    case Kind::Failed:
        answer.errorKind = static_cast<PortErrorKind>(
            in.check(in.u8(), static_cast<std::uint64_t>(PortErrorKind::FailedAccess)));
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
            const auto channel =
                static_cast<std::uint32_t>(in.check(in.u8(), kMostRecordedPorts - 1));
            answer.changes.push_back({time, channel, static_cast<std::uint8_t>(in.u8())});
        }
        break;
    }
    case Kind::Recorded:
        ReadEnd(in, answer.end);
        break;
    case Kind::Generated:
        ReadGenerated(in, answer);
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
