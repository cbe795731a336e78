// SPDX-License-Identifier: MIT
// The window's requests to portprov-io, each kind's fields declared once.
// The helper reads them: every bound is checked here, before it acts on any.
#include "remote/FrameFields.h"

// A kind left out of a switch over them all is a kind without its declaration.
#pragma GCC diagnostic error "-Wswitch"

namespace portprov::helper_protocol {

using std::chrono::nanoseconds;

template <class Io> void RecordFields(Io& io, Of<RecorderOptions> auto& options) {
    io.sequence(options.ports, 1, 1, kMostRecordedPorts,
                [&](auto& port, std::size_t) { io.u32(port, kHighestPort); });
    io.optional(options.rate, [&](auto& rate, bool present) {
        io.f64(rate);
        io.require(!present || (rate >= kSlowestRecordingRate && rate <= kFastestRecordingRate));
    });
    io.alternative(options.length, Overloaded{
        [&](Of<nanoseconds> auto& time) {
            io.u64(time, static_cast<std::uint64_t>(nanoseconds(kLongestRecording).count()));
            io.require(time.count() > 0);
        },
        [&](Of<std::uint64_t> auto& rounds) {
            io.u64(rounds, kMostRecordedSamples);
            io.require(rounds > 0);
        }});
    // The trigger's and the start write's fields go even when there is none,
    // and then only their ranges are checked.
    io.optional(options.trigger, [&](auto& trigger, bool present) {
        io.u8(trigger.channel);
        io.u8(trigger.bit, 7);
        io.flag(trigger.inverted);
        io.u8(trigger.edge, 1);
        io.f64(trigger.before);
        io.require(!present || (trigger.channel < options.ports.size() &&
                                trigger.before >= 0.0 && trigger.before < 1.0));
    });
    io.optional(options.startWrite, [&](auto& write, bool) {
        io.u32(write.port, kHighestPort);
        io.u8(write.value);
    });
}
template void RecordFields(Writer&, const RecorderOptions&);
template void RecordFields(Reader&, RecorderOptions&);

// Each request's fields; false for a kind that is not a request.
template <class Io> bool Declared(Io& io, Of<Request> auto& request) {
    switch (request.kind) {
    case Kind::Hello:
    case Kind::StopRecording:
        return true;
    case Kind::Read:
    case Kind::Hold:
    case Kind::Release:
        io.u32(request.port, kHighestPort);
        return true;
    case Kind::Write:
        io.u32(request.port, kHighestPort);
        io.u8(request.value);
        return true;
    case Kind::Probe:
        io.u32(request.port, kHighestBase);
        return true;
    case Kind::TogglePin:
        io.u32(request.port, kHighestBase);
        io.u8(request.pin);
        io.require(request.pin >= 1 && request.pin <= 25);
        return true;
    case Kind::Loopback:
        io.u32(request.port, kHighestBase);
        PlugField(io, request.plug);
        return true;
    case Kind::TestLine:
        io.u32(request.port, kHighestBase);
        io.u64(request.byteWait, static_cast<std::uint64_t>(nanoseconds(kLongestByteWait).count()));
        io.text(request.text);
        io.require(request.text.size() <= kLongestTestLine);
        return true;
    case Kind::Record:
        RecordFields(io, request.record);
        return true;
    case Kind::Generate:
        GenerateFields(io, request);
        return true;
    case Kind::PlayedChanges:
        PlayedChangesFields(io, request);
        return true;
    case Kind::Ready:
    case Kind::Done:
    case Kind::Byte:
    case Kind::Failed:
    case Kind::PinToggled:
    case Kind::LoopbackDone:
    case Kind::ProbeDone:
    case Kind::Printed:
    case Kind::RecordStarted:
    case Kind::Progress:
    case Kind::Changes:
    case Kind::Recorded:
    case Kind::GenerateStarted:
    case Kind::Generated:
        return false;
    }
    return false;
}

Frame Encode(const Request& request) {
    return EncodeDeclared(request);
}

std::variant<Request, Refusal> ParseRequest(const Frame& frame) {
    return ParseDeclared<Request>(frame, "portprov-io känner inte igen begäran.",
                                  "Begäran till portprov-io är felaktig och avvisades.");
}

} // namespace portprov::helper_protocol
