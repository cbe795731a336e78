// SPDX-License-Identifier: MIT
// portprov-io's answers to the window, each kind's fields declared once.
#include "remote/FrameFields.h"

#include "loopback/LoopbackWiring.h"

#include <cmath>

// A kind left out of a switch over them all is a kind without its declaration.
#pragma GCC diagnostic error "-Wswitch"

namespace portprov::helper_protocol {

template <class Io> void EndFields(Io& io, Of<RecordedEnd> auto& end) {
    io.sequence(end.initial, 1, 1, kMostRecordedPorts,
                [&](auto& value, std::size_t) { io.u8(value); });
    io.i64(end.length);
    io.optional(end.triggerTime, [&](auto& time, bool) { io.i64(time); });
    io.u64(end.stats.samples);
    io.f64(end.stats.meanRate);
    io.require(std::isfinite(end.stats.meanRate));
    io.i64(end.stats.longestGap);
    io.u64(end.stats.lateSamples);
    io.u64(end.stats.longGaps);
    io.i64(end.stats.gapLimit);
    io.require(end.stats.gapLimit >= std::chrono::nanoseconds{});
    io.flag(end.stats.outOfMemory);
}
template void EndFields(Writer&, const RecordedEnd&);
template void EndFields(Reader&, RecordedEnd&);

namespace {

// The wires go in the plug's order; which wire each is follows from the plug.
template <class Io> void LoopbackFields(Io& io, Of<LoopbackReport> auto& report) {
    PlugField(io, report.plug);
    io.u32(report.base, kHighestBase);
    const auto wiring = WiringOf(report.plug);
    io.sequence(report.wires, 1, wiring.size(), wiring.size(), [&](auto& wire, std::size_t i) {
        io.derived(wire.wire, wiring[i]);
        io.u8(wire.result, 4);
        io.optional(wire.joinedWith, [&](auto& with, bool) { io.u8(with, wiring.size() - 1); });
    });
}

template <class Io> void ModesFields(Io& io, Of<PortModes> auto& modes) {
    io.u32(modes.base, kHighestBase);
    for (std::size_t i = 0; i < kPortModes.size(); ++i) {
        io.u8(modes.answers[i], 2);
        io.optional(modes.unreached[i], [&](auto& port, bool) { io.u32(port, kHighestPort); });
    }
}

} // namespace

// Each answer's fields; false for a kind that is not an answer.
template <class Io> bool Declared(Io& io, Of<Answer> auto& answer) {
    switch (answer.kind) {
    case Kind::Done:
    case Kind::RecordStarted:
    case Kind::GenerateStarted:
        return true;
    case Kind::Ready:
        io.text(answer.text);
        return true;
    case Kind::Byte:
        io.u8(answer.value);
        return true;
    case Kind::Failed:
        io.u8(answer.errorKind, static_cast<std::uint64_t>(PortErrorKind::FailedAccess));
        io.text(answer.text);
        return true;
    case Kind::PinToggled:
        io.u8(answer.toggle.outcome, 2);
        io.u8(answer.toggle.reg, 2);
        io.u8(answer.toggle.written);
        io.u8(answer.toggle.readBack);
        return true;
    case Kind::LoopbackDone:
        LoopbackFields(io, answer.loopback);
        return true;
    case Kind::ProbeDone:
        ModesFields(io, answer.modes);
        return true;
    case Kind::Printed:
        io.u64(answer.count, kLongestTestLine);
        return true;
    case Kind::Progress:
        io.f64(answer.progress);
        io.require(answer.progress >= 0.0 && answer.progress <= 1.0);
        io.flag(answer.waiting);
        return true;
    case Kind::Changes:
        io.sequence(answer.changes, 2, 0, kChangesPerFrame, [&](auto& change, std::size_t) {
            io.i64(change.time);
            io.u8(change.channel, kMostRecordedPorts - 1);
            io.u8(change.value);
        });
        return true;
    case Kind::Recorded:
        EndFields(io, answer.end);
        return true;
    case Kind::Generated:
        GeneratedFields(io, answer);
        return true;
    case Kind::Hello:
    case Kind::Read:
    case Kind::Write:
    case Kind::Hold:
    case Kind::Release:
    case Kind::TogglePin:
    case Kind::Loopback:
    case Kind::Probe:
    case Kind::TestLine:
    case Kind::Record:
    case Kind::StopRecording:
    case Kind::Generate:
    case Kind::PlayedChanges:
        return false;
    }
    return false;
}

Frame Encode(const Answer& answer) {
    return EncodeDeclared(answer);
}

std::variant<Answer, Refusal> ParseAnswer(const Frame& frame) {
    return ParseDeclared<Answer>(frame, "portprov-io gav ett svar som fönstret inte känner igen.",
                                 "portprov-io gav ett felaktigt svar.");
}

Answer FailureAnswer(const PortError& error) {
    Answer answer;
    answer.kind = Kind::Failed;
    answer.errorKind = error.kind();
    answer.text = error.what();
    return answer;
}

} // namespace portprov::helper_protocol
