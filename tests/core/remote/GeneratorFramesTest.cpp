// SPDX-License-Identifier: MIT
// A signal on its way to the helper: it arrives as sent, over as many frames
// as its played changes need, and anything past the generator's bounds, or
// out of order, is refused before the helper acts on it.
#include "remote/HelperProtocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace portprov;
namespace hp = portprov::helper_protocol;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

namespace {

GeneratorOptions Square() {
    GeneratorOptions options;
    options.waveform = SquareWave{{9, 2, 2}, 2500.0, 25.0, milliseconds(40)};
    return options;
}

GeneratorOptions Played(std::size_t count) {
    PlayedSequence played;
    for (std::size_t i = 0; i < count; ++i)
        played.changes.push_back({nanoseconds(1000 * (i / 2)), i % 2 ? 1 : 2, i % 3 == 0});
    played.length = milliseconds(1);
    GeneratorOptions options;
    options.base = 632;
    options.realTime = false;
    options.waveform = played;
    RecorderOptions recording;
    recording.ports = {632, 633};
    recording.length = milliseconds(2);
    options.recording = recording;
    return options;
}

std::vector<hp::Frame> Frames(const GeneratorOptions& options) {
    std::vector<hp::Frame> frames;
    for (const hp::Request& request : hp::GenerationRequests(options))
        frames.push_back(hp::Encode(request));
    return frames;
}

// The helper's side: the first frame, then its follow-ups; the reason when refused.
std::variant<GeneratorOptions, std::string> Receive(const std::vector<hp::Frame>& frames) {
    auto parsed = hp::ParseRequest(frames.at(0));
    if (auto* refusal = std::get_if<hp::Refusal>(&parsed))
        return refusal->reason;
    hp::Request& request = std::get<hp::Request>(parsed);
    if (hp::FollowUpsOf(request) != frames.size() - 1)
        return std::string("follow-ups: ") + std::to_string(hp::FollowUpsOf(request));
    for (std::size_t i = 1; i < frames.size(); ++i) {
        if (const auto reason = hp::AddFollowUp(request, hp::ParseRequest(frames[i])))
            return *reason;
    }
    return request.generate;
}

TEST(GeneratorFrames, ASignalArrivesAsSentOverAsManyFramesAsItNeeds) {
    GeneratorOptions pulses;
    pulses.waveform = PulseTrain{{1, 14, 16, 17}, kMostPulses, kHighestSignalRate};
    struct Case {
        GeneratorOptions sent;
        std::size_t frames;
    };
    const Case cases[] = {{Square(), 1}, {pulses, 1}, {Played(1), 2}, {Played(320), 4}};
    for (const Case& c : cases) {
        const std::vector<hp::Frame> frames = Frames(c.sent);
        ASSERT_EQ(frames.size(), c.frames);
        const auto got = Receive(frames);
        ASSERT_TRUE(std::holds_alternative<GeneratorOptions>(got)) << std::get<std::string>(got);
        const GeneratorOptions& options = std::get<GeneratorOptions>(got);
        // What arrived goes out again as the very same frames.
        EXPECT_EQ(Frames(options), frames);
        EXPECT_EQ(options.base, c.sent.base);
        EXPECT_EQ(options.realTime, c.sent.realTime);
        EXPECT_EQ(options.recording.has_value(), c.sent.recording.has_value());
        EXPECT_EQ(WaveformLength(options.waveform), WaveformLength(c.sent.waveform));
        if (const auto* played = std::get_if<PlayedSequence>(&c.sent.waveform)) {
            EXPECT_EQ(std::get<PlayedSequence>(options.waveform).changes, played->changes);
            EXPECT_EQ(options.recording->ports, c.sent.recording->ports);
        }
    }
    const auto square =
        std::get<SquareWave>(std::get<GeneratorOptions>(Receive(Frames(Square()))).waveform);
    EXPECT_EQ(square.pins, (std::vector<int>{2, 9}));
    EXPECT_EQ(square.duty, 25.0);
    EXPECT_EQ(square.duration, milliseconds(40));
}

TEST(GeneratorFrames, ASignalPastTheGeneratorsBoundsIsRefused) {
    struct Case {
        const char* what;
        GeneratorOptions options;
        std::function<void(GeneratorOptions&)> spoil;
    };
    GeneratorOptions pulses;
    pulses.waveform = PulseTrain{{2}, 10, 1000.0};
    const auto square = [](GeneratorOptions& o) -> SquareWave& {
        return std::get<SquareWave>(o.waveform);
    };
    const auto train = [](GeneratorOptions& o) -> PulseTrain& {
        return std::get<PulseTrain>(o.waveform);
    };
    const auto played = [](GeneratorOptions& o) -> PlayedSequence& {
        return std::get<PlayedSequence>(o.waveform);
    };
    const Case cases[] = {
        {"an input pin", Square(), [&](GeneratorOptions& o) { square(o).pins = {10}; }},
        {"pin 0", Square(),
         [&](GeneratorOptions& o) {
             square(o).pins = {0, 2};
         }},
        {"no pin", Square(), [&](GeneratorOptions& o) { square(o).pins = {}; }},
        {"0 Hz", Square(), [&](GeneratorOptions& o) { square(o).hz = 0.0; }},
        {"a rate past the top", Square(), [&](GeneratorOptions& o) { square(o).hz = 100'001.0; }},
        {"no rate at all", Square(), [&](GeneratorOptions& o) { square(o).hz = std::nan(""); }},
        {"a duty of 100 %", Square(), [&](GeneratorOptions& o) { square(o).duty = 100.0; }},
        {"no duration", Square(), [&](GeneratorOptions& o) { square(o).duration = {}; }},
        {"a duration past a day", Square(),
         [&](GeneratorOptions& o) { square(o).duration = kLongestSignal + nanoseconds(1); }},
        {"no pulse", pulses, [&](GeneratorOptions& o) { train(o).count = 0; }},
        {"a pulse past the count", pulses,
         [&](GeneratorOptions& o) { train(o).count = kMostPulses + 1; }},
        {"a base whose control register passes 65535", pulses,
         [](GeneratorOptions& o) { o.base = 65534; }},
        {"a played change on an input pin", Played(3),
         [&](GeneratorOptions& o) { played(o).changes[1].pin = 15; }},
        {"a played change before time 0", Played(3),
         [&](GeneratorOptions& o) { played(o).changes[0].time = nanoseconds(-1); }},
        {"played changes back in time", Played(3),
         [&](GeneratorOptions& o) { played(o).changes[1].time = nanoseconds(5000); }},
        {"played changes back in time across frames", Played(200),
         [&](GeneratorOptions& o) { played(o).changes[150].time = {}; }},
        {"a recording of no port", Square(),
         [](GeneratorOptions& o) { o.recording.emplace().ports = {}; }},
    };
    for (const Case& c : cases) {
        GeneratorOptions options = c.options;
        ASSERT_TRUE(std::holds_alternative<GeneratorOptions>(Receive(Frames(options)))) << c.what;
        c.spoil(options);
        EXPECT_TRUE(std::holds_alternative<std::string>(Receive(Frames(options)))) << c.what;
    }
}

TEST(GeneratorFrames, FollowUpsOutOfOrderOrPastTheirCountAreRefused) {
    const std::vector<hp::Frame> frames = Frames(Played(400)); // 150 + 150 + 100 changes
    auto count = hp::ParseRequest(frames[0]);
    std::get<hp::Request>(count).playedCount = 200; // two frames: 150, then 50
    auto over = std::get<hp::Request>(hp::ParseRequest(frames[0]));
    over.playedCount = kMostPlayedChanges + 1;
    hp::Frame unsorted = Frames(Square())[0];
    std::swap(unsorted[hp::kHeaderSize + 7], unsorted[hp::kHeaderSize + 8]); // pins 9, 2
    const std::vector<std::pair<const char*, std::vector<hp::Frame>>> cases = {
        {"a frame left out", {frames[0], frames[1], frames[3], frames[2]}},
        {"a frame twice", {frames[0], frames[1], frames[1], frames[2]}},
        {"more changes than announced",
         {hp::Encode(std::get<hp::Request>(count)), frames[1], frames[2]}},
        {"a count past the most changes", {hp::Encode(over)}},
        {"another request among them",
         {frames[0], frames[1], hp::Encode(hp::Request{}), frames[3]}},
        {"pins out of order", {unsorted}},
    };
    for (const auto& [what, sent] : cases)
        EXPECT_TRUE(std::holds_alternative<std::string>(Receive(sent))) << what;
    EXPECT_TRUE(hp::IsFollowUp(frames[1]));
    EXPECT_FALSE(hp::IsFollowUp(frames[0]));
}

TEST(GeneratorFrames, TheSignalsFiguresAndItsRecordingComeBack) {
    hp::Answer sent;
    sent.kind = hp::Kind::Generated;
    sent.generated = {12345, 6000, 999.5, nanoseconds(3200), nanoseconds(40), 7, true, true, false};
    for (const bool recorded : {false, true}) {
        sent.withRecording = recorded;
        sent.end.initial = {1, 2};
        sent.end.length = milliseconds(5);
        const auto got = std::get<hp::Answer>(hp::ParseAnswer(hp::Encode(sent)));
        EXPECT_EQ(got.generated.writes, 12345u);
        EXPECT_EQ(got.generated.periods, 6000u);
        EXPECT_EQ(got.generated.achievedHz, 999.5);
        EXPECT_EQ(got.generated.worstLateness, nanoseconds(3200));
        EXPECT_EQ(got.generated.medianLateness, nanoseconds(40));
        EXPECT_EQ(got.generated.lateWrites, 7u);
        EXPECT_TRUE(got.generated.stopped && got.generated.realTime && !got.generated.memoryLocked);
        EXPECT_EQ(got.withRecording, recorded);
        EXPECT_EQ(got.end.initial.size(), recorded ? 2u : 0u);
        EXPECT_EQ(got.end.length, recorded ? milliseconds(5) : nanoseconds{});
    }
    sent.generated.achievedHz = std::nan("");
    EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseAnswer(hp::Encode(sent))));
}

} // namespace
