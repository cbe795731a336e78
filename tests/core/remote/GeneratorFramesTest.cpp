// SPDX-License-Identifier: MIT
// A signal arrives in the helper as sent, over as many frames as it needs;
// anything past the generator's bounds, or out of order, is refused.
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
    GeneratorOptions options{632, played, RecorderOptions{}, false};
    options.recording->ports = {632, 633};
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
    for (std::size_t i = 1; i < frames.size(); ++i) {
        if (const auto reason = hp::AddFollowUp(request, hp::ParseRequest(frames[i])))
            return *reason;
    }
    return request.generate;
}

template <class Shape> Shape& As(GeneratorOptions& options) {
    return std::get<Shape>(options.waveform);
}

TEST(GeneratorFrames, ASignalArrivesAsSentOverAsManyFramesAsItNeeds) {
    GeneratorOptions pulses;
    pulses.waveform = PulseTrain{{1, 14, 16, 17}, kMostPulses, kHighestSignalRate};
    const std::pair<GeneratorOptions, std::size_t> cases[] = {
        {Square(), 1}, {pulses, 1}, {Played(1), 2}, {Played(320), 4}};
    for (auto [sent, count] : cases) {
        const std::vector<hp::Frame> frames = Frames(sent);
        ASSERT_EQ(frames.size(), count);
        auto got = Receive(frames);
        ASSERT_TRUE(std::holds_alternative<GeneratorOptions>(got)) << std::get<std::string>(got);
        GeneratorOptions& options = std::get<GeneratorOptions>(got);
        // What arrived goes out again as the very same frames.
        EXPECT_EQ(Frames(options), frames);
        EXPECT_EQ(std::tuple(options.base, options.realTime, options.recording.has_value()),
                  std::tuple(sent.base, sent.realTime, sent.recording.has_value()));
        if (std::holds_alternative<PlayedSequence>(sent.waveform)) {
            EXPECT_EQ(As<PlayedSequence>(options).changes, As<PlayedSequence>(sent).changes);
        }
    }
}

TEST(GeneratorFrames, ASignalPastTheGeneratorsBoundsIsRefused) {
    GeneratorOptions pulses;
    pulses.waveform = PulseTrain{{2}, 10, 1000.0};
    using Spoil = std::function<void(GeneratorOptions&)>;
    const std::tuple<const char*, GeneratorOptions, Spoil> cases[] = {
        {"an input pin", Square(), [](auto& o) { As<SquareWave>(o).pins = {10}; }},
        {"0 Hz", Square(), [](auto& o) { As<SquareWave>(o).hz = 0.0; }},
        {"a rate past the top", Square(), [](auto& o) { As<SquareWave>(o).hz = 100'001.0; }},
        {"a duty of 100 %", Square(), [](auto& o) { As<SquareWave>(o).duty = 100.0; }},
        {"no duration", Square(), [](auto& o) { As<SquareWave>(o).duration = {}; }},
        {"a day and more", Square(),
         [](auto& o) { As<SquareWave>(o).duration = kLongestSignal + nanoseconds(1); }},
        {"no pulse", pulses, [](auto& o) { As<PulseTrain>(o).count = 0; }},
        {"too many pulses", pulses, [](auto& o) { As<PulseTrain>(o).count = kMostPulses + 1; }},
        {"a control register past 65535", pulses, [](auto& o) { o.base = 65534; }},
        {"a played input pin", Played(3),
         [](auto& o) { As<PlayedSequence>(o).changes[1].pin = 15; }},
        {"a played change before 0", Played(3),
         [](auto& o) { As<PlayedSequence>(o).changes[0].time = nanoseconds(-1); }},
        {"changes back in time", Played(3),
         [](auto& o) { As<PlayedSequence>(o).changes[1].time = nanoseconds(5000); }},
        {"changes back in time across frames", Played(200),
         [](auto& o) { As<PlayedSequence>(o).changes[150].time = {}; }},
    };
    for (auto [what, options, spoil] : cases) {
        ASSERT_TRUE(std::holds_alternative<GeneratorOptions>(Receive(Frames(options)))) << what;
        spoil(options);
        EXPECT_TRUE(std::holds_alternative<std::string>(Receive(Frames(options)))) << what;
    }
}

TEST(GeneratorFrames, FollowUpsOutOfOrderOrPastTheirCountAreRefused) {
    const std::vector<hp::Frame> frames = Frames(Played(400)); // 150 + 150 + 100 changes
    auto count = hp::ParseRequest(frames[0]);
    std::get<hp::Request>(count).playedCount = 200; // two frames: 150, then 50
    auto over = std::get<hp::Request>(hp::ParseRequest(frames[0]));
    over.playedCount = kMostPlayedChanges + 1;
    auto shifted = std::get<hp::Request>(hp::ParseRequest(frames[2]));
    shifted.firstChange = 151; // in order in time, but not where the changes left off
    hp::Frame unsorted = Frames(Square())[0];
    std::swap(unsorted[hp::kHeaderSize + 7], unsorted[hp::kHeaderSize + 8]); // pins 9, 2
    const std::vector<std::pair<const char*, std::vector<hp::Frame>>> cases = {
        {"a frame that starts elsewhere", {frames[0], frames[1], hp::Encode(shifted), frames[3]}},
        {"more changes than announced",
         {hp::Encode(std::get<hp::Request>(count)), frames[1], frames[2]}},
        {"a count past the most changes", {hp::Encode(over)}},
        {"another request among them",
         {frames[0], frames[1], hp::Encode(hp::Request{}), frames[3]}},
        {"pins out of order", {unsorted}},
    };
    for (const auto& [what, sent] : cases)
        EXPECT_TRUE(std::holds_alternative<std::string>(Receive(sent))) << what;
}

TEST(GeneratorFrames, TheSignalsFiguresAndItsRecordingComeBack) {
    hp::Answer sent;
    sent.kind = hp::Kind::Generated;
    sent.generated = {12345, 6000, 999.5, nanoseconds(3200), nanoseconds(40), 7, true, false, true};
    sent.withRecording = true;
    sent.end = {{1, 2}, milliseconds(5), std::nullopt, {}};
    const auto got = std::get<hp::Answer>(hp::ParseAnswer(hp::Encode(sent)));
    const auto figures = [](const GeneratorStats& s) {
        return std::tuple(s.writes, s.periods, s.achievedHz, s.worstLateness, s.medianLateness,
                          s.lateWrites, s.stopped, s.realTime, s.memoryLocked);
    };
    EXPECT_EQ(figures(got.generated), figures(sent.generated));
    EXPECT_EQ(got.end.length, milliseconds(5));
    sent.generated.achievedHz = std::nan("");
    EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseAnswer(hp::Encode(sent))));
}

} // namespace
