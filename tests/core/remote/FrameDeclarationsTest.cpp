// SPDX-License-Identifier: MIT
// Each kind's one declaration serves both ways: what is encoded parses back
// to the same frame, and a field just past its bound is refused.
#include "FrameExamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

using namespace portprov;
namespace hp = portprov::helper_protocol;
namespace examples = portprov::frame_examples;
using std::chrono::nanoseconds;

namespace {

hp::Frame Empty(std::size_t kind) {
    hp::Frame frame = hp::Encode(hp::Request{});
    frame[6] = static_cast<std::uint8_t>(kind);
    frame[7] = static_cast<std::uint8_t>(kind >> 8);
    return frame;
}

template <class Message> bool Known(const std::variant<Message, hp::Refusal>& parsed, const char* unknown) {
    const auto* refusal = std::get_if<hp::Refusal>(&parsed);
    return refusal == nullptr || refusal->reason != unknown;
}

TEST(FrameDeclarations, EveryKindComesBackAsSent) {
    std::set<hp::Kind> kinds;
    for (const hp::Request& sent : examples::Requests()) {
        const auto parsed = hp::ParseRequest(hp::Encode(sent));
        ASSERT_TRUE(std::holds_alternative<hp::Request>(parsed)) << static_cast<int>(sent.kind);
        EXPECT_EQ(hp::Encode(std::get<hp::Request>(parsed)), hp::Encode(sent)) << static_cast<int>(sent.kind);
        kinds.insert(sent.kind);
    }
    for (const hp::Answer& sent : examples::Answers()) {
        const auto parsed = hp::ParseAnswer(hp::Encode(sent));
        ASSERT_TRUE(std::holds_alternative<hp::Answer>(parsed)) << static_cast<int>(sent.kind);
        const hp::Answer& got = std::get<hp::Answer>(parsed);
        EXPECT_EQ(hp::Encode(got), hp::Encode(sent)) << static_cast<int>(sent.kind);
        for (std::size_t i = 0; i < got.loopback.wires.size(); ++i)
            EXPECT_EQ(got.loopback.wires[i].wire.inputPin, sent.loopback.wires[i].wire.inputPin);
        kinds.insert(sent.kind);
    }
    // Every kind either side knows has its example, and so its fuzz seed.
    for (std::size_t kind = 0; kind < 1024; ++kind) {
        const bool known = Known(hp::ParseRequest(Empty(kind)), "portprov-io känner inte igen begäran.") ||
                           Known(hp::ParseAnswer(Empty(kind)),
                                 "portprov-io gav ett svar som fönstret inte känner igen.");
        EXPECT_EQ(known, kinds.contains(static_cast<hp::Kind>(kind))) << kind;
    }
}

template <class Message> struct Spoilt {
    const char* what;
    hp::Kind kind;
    std::function<void(Message&)> spoil;
};

template <class Message> Message ExampleOf(const std::vector<Message>& all, hp::Kind kind) {
    return *std::find_if(all.begin(), all.end(), [&](const Message& m) { return m.kind == kind; });
}

TEST(FrameDeclarations, EachBoundJustPastIsRefused) {
    using K = hp::Kind;
    using A = hp::Answer;
    const Spoilt<A> answers[] = {
        {"a failure's kind", K::Failed, [](A& a) { a.errorKind = static_cast<PortErrorKind>(6); }},
        {"an outcome", K::PinToggled, [](A& a) { a.toggle.outcome = static_cast<PinToggle::Outcome>(3); }},
        {"a register", K::PinToggled, [](A& a) { a.toggle.reg = static_cast<Register>(3); }},
        {"a base", K::LoopbackDone, [](A& a) { a.loopback.base = 65534; }},
        {"a wire too few", K::LoopbackDone, [](A& a) { a.loopback.wires.pop_back(); }},
        {"a wire's result", K::LoopbackDone, [](A& a) { a.loopback.wires[0].result = static_cast<WireResult>(5); }},
        {"a joined wire", K::LoopbackDone, [](A& a) { a.loopback.wires[0].joinedWith = 5; }},
        {"a probed base", K::ProbeDone, [](A& a) { a.modes.base = 65534; }},
        {"a mode's answer", K::ProbeDone, [](A& a) { a.modes.answers[3] = static_cast<ModeAnswer>(3); }},
        {"a count printed", K::Printed, [](A& a) { a.count = hp::kLongestTestLine + 1; }},
        {"progress past 1", K::Progress, [](A& a) { a.progress = std::nextafter(1.0, 2.0); }},
        {"progress below 0", K::Progress, [](A& a) { a.progress = -1e-300; }},
        {"changes", K::Changes, [](A& a) { a.changes.resize(hp::kChangesPerFrame + 1); }},
        {"a channel", K::Changes, [](A& a) { a.changes[0].channel = hp::kMostRecordedPorts; }},
        {"no port's first value", K::Recorded, [](A& a) { a.end.initial.clear(); }},
        {"first values", K::Recorded, [](A& a) { a.end.initial.resize(hp::kMostRecordedPorts + 1); }},
        {"a rate", K::Recorded, [](A& a) { a.end.stats.meanRate = HUGE_VAL; }},
        {"a signal's rate", K::Generated, [](A& a) { a.generated.achievedHz = -1.0; }},
    };
    for (const auto& [what, kind, spoil] : answers) {
        A sent = ExampleOf(examples::Answers(), kind);
        spoil(sent);
        EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseAnswer(hp::Encode(sent)))) << what;
    }
    using R = hp::Request;
    const Spoilt<R> requests[] = {
        {"recorded ports", K::Record, [](R& r) { r.record.ports.resize(hp::kMostRecordedPorts + 1, 888); }},
        {"a start write's port", K::Record, [](R& r) { r.record.startWrite->port = 65536; }},
        {"rounds", K::Record, [](R& r) { r.record.length = hp::kMostRecordedSamples + 1; }},
        {"a trigger's share", K::Record, [](R& r) { r.record.trigger->before = 1.0; }},
        {"a time", K::Generate, [](R& r) { r.generate.recording->length = hp::kLongestRecording + nanoseconds(1); }},
        {"a rate beside a signal", K::Generate, [](R& r) { r.generate.recording->rate = 999.0; }},
        {"no pin", K::Generate, [](R& r) { std::get<SquareWave>(r.generate.waveform).pins.clear(); }},
        {"a text", K::TestLine, [](R& r) { r.text.assign(hp::kLongestTestLine + 1, 'x'); }},
        {"no played change", K::PlayedChanges, [](R& r) { r.played.clear(); }},
        {"played changes", K::PlayedChanges, [](R& r) { r.played.resize(hp::kPlayedChangesPerFrame + 1, r.played[0]); }},
        {"a change's index", K::PlayedChanges, [](R& r) { r.firstChange = kMostPlayedChanges; }},
        {"a change's time", K::PlayedChanges, [](R& r) { r.played[2].time = kLongestSignal + nanoseconds(1); }},
    };
    for (const auto& [what, kind, spoil] : requests) {
        R sent = ExampleOf(examples::Requests(), kind);
        spoil(sent);
        EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseRequest(hp::Encode(sent)))) << what;
    }
    // A waveform past the kinds there are, the last one's fields after it; its
    // index follows the base and the real-time flag.
    const auto all = examples::Requests();
    hp::Frame shape = hp::Encode(*std::find_if(all.begin(), all.end(), [](const R& r) {
        return r.generate.waveform.index() == std::variant_size_v<Waveform> - 1;
    }));
    shape[hp::kHeaderSize + 5] = std::variant_size_v<Waveform>;
    EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseRequest(shape)));
}

} // namespace
