// SPDX-License-Identifier: MIT
// The window's requests to portprov-io, written and read back. The helper
// reads them: every bound is checked here, before it acts on any.
#include "remote/FrameFields.h"

namespace portprov::helper_protocol {

using std::chrono::nanoseconds;

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
        WritePlug(out, request.plug);
        break;
    case Kind::TestLine:
        out.u32(request.port);
        out.u64(static_cast<std::uint64_t>(request.byteWait.count()));
        out.text(request.text);
        break;
    case Kind::Record:
        WriteRecord(out, request.record);
        break;
    case Kind::Generate:
        WriteGenerate(out, request);
        break;
    case Kind::PlayedChanges:
        WritePlayedChanges(out, request);
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
        request.plug = ReadPlug(in);
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
    case Kind::Generate:
        ReadGenerate(in, request);
        break;
    case Kind::PlayedChanges:
        ReadPlayedChanges(in, request);
        break;
    default:
        return Refusal{"portprov-io känner inte igen begäran."};
    }
    if (!in.whole())
        return Refusal{"Begäran till portprov-io är felaktig och avvisades."};
    return request;
}

} // namespace portprov::helper_protocol
