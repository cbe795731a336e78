// SPDX-License-Identifier: MIT
#include "generating/Generator.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/ChangeStream.h"
#include "recording/RecordedLines.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <tuple>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

// The simulated PC, whose write number failAt fails.
struct FailingPc : SimulatedPc {
    using SimulatedPc::SimulatedPc;
    std::uint64_t writes = 0, failAt = UINT64_MAX;
    void write(std::uint16_t port, std::uint8_t value) override {
        if (++writes == failAt)
            throw PortError(PortErrorKind::FailedAccess, "Skrivfel");
        SimulatedPc::write(port, value);
    }
    // The signal's writes too, not straight to the simulated ports.
    HeldWriter heldWriter(std::span<const std::uint16_t> ports) override {
        return PortBackend::heldWriter(ports);
    }
};

// The simulated PC with the data plug, on a clock that moves only as it is
// read: 100 ns a look, so that a run's times do not depend on the machine.
struct GeneratorTest : ::testing::Test {
    std::atomic<std::int64_t> clock{1'000'000'000};
    std::shared_ptr<FailingPc> pc =
        std::make_shared<FailingPc>([this] { return nanoseconds(clock.load()); });
    Generator::Clock driven = [this] { return nanoseconds(clock += 100); };

    void SetUp() override {
        pc->insertPlug(LoopbackPlug::Data);
        SelectPortBackend(SharedBackend(pc));
    }
    void TearDown() override { SelectPortBackend({}); }

    GeneratorResult run(GeneratorOptions options) {
        Generator generator(std::move(options), driven);
        generator.start();
        return generator.wait();
    }
};

// The times at which one recorded pin rose (or fell) at its level.
std::vector<nanoseconds> Edges(const Recording& recording, int pin, bool rising) {
    const auto lines = LinesOf(recording.ports);
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [pin](const RecordedLine& l) { return l.pin == pin; });
    std::vector<nanoseconds> edges;
    bool level = LevelOf(*line, recording.initial[line->channel]);
    for (const Recording::Change& change : recording.changes) {
        if (change.channel != line->channel || LevelOf(*line, change.value) == level)
            continue;
        level = !level;
        if (level == rising)
            edges.push_back(change.time);
    }
    return edges;
}

double Ns(nanoseconds time) {
    return static_cast<double>(time.count());
}

RecorderOptions Recording889(nanoseconds length) {
    RecorderOptions options;
    options.ports = {889};
    options.length = length;
    return options;
}

} // namespace

TEST_F(GeneratorTest, AStallIsToldAsDistortedPeriodsAndAGapWhereChangesMayBeMissing) {
    // The thread loses its processor for 1.6 ms, 2.2 ms in: three of the
    // signal's 500 µs steps fall in one gap between the recording's reads.
    const std::int64_t start = clock.load();
    bool stalled = false;
    const Generator::Clock stalling = [&] {
        std::int64_t now = clock += 100;
        if (!stalled && now - start > 2'200'000) {
            stalled = true;
            now = clock += 1'600'000;
        }
        return nanoseconds(now);
    };
    Generator generator({888, SquareWave{{2}, 1000.0, 50.0, 5ms}, Recording889(5ms), false},
                        stalling);
    generator.start();
    const GeneratorResult result = generator.wait();
    EXPECT_GT(result.stats.distortedPeriods, 0u);
    EXPECT_EQ(result.recorded->stats.longGaps, 1u);
    EXPECT_EQ(result.recorded->stats.gapLimit, 500us);
    EXPECT_GE(result.recorded->stats.longestGap, 1600us);
}

TEST_F(GeneratorTest, TheResponseIsRecordedOnTheSignalsTimeline) {
    // D0 comes back on Fel (pin 15): a 1 kHz square wave on pin 2 shows there
    // as a change every 0.5 ms, counted from the recording's zero.
    DlPortWritePortUchar(888, 0x80);
    const GeneratorResult square =
        run({888, SquareWave{{2}, 1000.0, 50.0, 5ms}, Recording889(5ms), false});
    const Recording& recording = square.recorded->recording;
    const auto rises = Edges(recording, 15, true);
    const auto falls = Edges(recording, 15, false);
    ASSERT_EQ(rises.size(), 5u);
    ASSERT_EQ(falls.size(), 5u);
    for (std::size_t k = 0; k < 5; ++k) {
        const double period = static_cast<double>(k) * 1e6;
        EXPECT_NEAR(Ns(rises[k]), period, 1'000.0) << k;
        EXPECT_NEAR(Ns(falls[k]), period + 5e5, 1'000.0) << k;
    }
    EXPECT_EQ(square.stats.writes, 10u);
    EXPECT_EQ(square.stats.periods, 5u);
    EXPECT_NEAR(square.stats.achievedHz, 1000.0, 1.0);
    EXPECT_LT(square.stats.worstLateness, 1us);
    EXPECT_EQ(square.stats.lateWrites, 0u);
    EXPECT_EQ(square.stats.distortedPeriods, 0u);
    EXPECT_EQ(square.recorded->stats.longGaps, 0u);
    // Ten pulses give ten rising edges, however long the recording looks.
    const GeneratorResult pulses =
        run({888, PulseTrain{{2}, 10, 1000.0}, Recording889(20ms), false});
    EXPECT_EQ(Edges(pulses.recorded->recording, 15, true).size(), 10u);
    // A recording shorter than the signal: the signal still runs to its end.
    const GeneratorResult cut = run({888, PulseTrain{{2}, 10, 1000.0}, Recording889(2ms), false});
    EXPECT_EQ(Edges(cut.recorded->recording, 15, true).size(), 2u);
    EXPECT_EQ(cut.stats.periods, 10u);
    // The port is put back as it was, D7 kept high throughout.
    EXPECT_EQ(DlPortReadPortUchar(888), 0x80);
}

// A long run's recording, its changes handed over as they come: what the
// generator keeps stays below a batch, what waits to be taken below its
// bound, however many changes go by; and when nobody takes them the
// recording ends early, as when memory runs out, while the signal goes on.
TEST_F(GeneratorTest, ALongRecordingsChangesLeaveAsTheyComeAndWhatWaitsIsBounded) {
    const GeneratorOptions options{888, SquareWave{{2}, 100'000.0, 50.0, 200ms}, Recording889(200ms), false};
    const std::vector<Recording::Change> all = run(options).recorded->recording.changes;
    ASSERT_GT(all.size(), 39'000u);
    for (const bool taken : {true, false}) {
        SCOPED_TRACE(taken);
        ChangeStream stream(500, 2000);
        std::vector<Recording::Change> seen;
        std::uint64_t looks = 0;
        // The taker, every 64th look at the clock, on the generator's own thread.
        Generator generator(options, [&] {
            if (taken && ++looks % 64 == 0) {
                const auto batch = stream.take();
                seen.insert(seen.end(), batch.begin(), batch.end());
            }
            return nanoseconds(clock += 100);
        });
        generator.streamChangesTo(stream);
        generator.start();
        const GeneratorResult result = generator.wait();
        const std::vector<Recording::Change>& kept = result.recorded->recording.changes;
        EXPECT_LE(stream.mostWaited(), 2000u);
        EXPECT_EQ(result.recorded->stats.outOfMemory, !taken);
        EXPECT_EQ(result.stats.periods, 20'000u);
        const auto last = stream.take();
        seen.insert(seen.end(), last.begin(), last.end());
        seen.insert(seen.end(), kept.begin(), kept.end());
        if (taken) {
            EXPECT_LT(kept.size(), 500u);
            EXPECT_EQ(seen, all);
        } else {
            EXPECT_LE(seen.size(), 2500u);
            EXPECT_TRUE(std::equal(seen.begin(), seen.end(), all.begin()));
        }
    }
}

TEST_F(GeneratorTest, PlayedRowsComeBackAtTheirTimes) {
    const PlayedSequence played{{{0ms, 2, true}, {2ms, 2, false}, {4ms, 2, true}, {6ms, 2, false}},
                                6ms};
    const GeneratorResult result = run({888, played, Recording889(7ms), false});
    const Recording& recording = result.recorded->recording;
    const auto rises = Edges(recording, 15, true);
    const auto falls = Edges(recording, 15, false);
    ASSERT_EQ(rises.size(), 2u);
    ASSERT_EQ(falls.size(), 2u);
    EXPECT_NEAR(Ns(rises[0]), 0.0, 1'000.0);
    EXPECT_NEAR(Ns(falls[0]), 2e6, 1'000.0);
    EXPECT_NEAR(Ns(rises[1]), 4e6, 1'000.0);
    EXPECT_NEAR(Ns(falls[1]), 6e6, 1'000.0);
}

TEST_F(GeneratorTest, ThePortIsPutBackAfterAStopAndAfterAFailure) {
    DlPortWritePortUchar(888, 0x5A);
    DlPortWritePortUchar(890, 0x04);
    const std::uint8_t control = DlPortReadPortUchar(890);
    {
        // An hour of 1 Hz on D0 and strobe, stopped after its first writes;
        // meanwhile every other access is refused as Busy.
        Generator generator({888, SquareWave{{1, 2}, 1.0, 50.0, 1h}, {}, false}, driven);
        generator.start();
        while (generator.progress() == 0.0 && !generator.finished())
            std::this_thread::yield();
        EXPECT_THROW(DlPortReadPortUchar(889), PortError);
        generator.stop();
        const GeneratorResult stopped = generator.wait();
        EXPECT_TRUE(stopped.stats.stopped);
        EXPECT_GE(stopped.stats.writes, 2u);
    }
    EXPECT_EQ(DlPortReadPortUchar(888), 0x5A);
    EXPECT_EQ(DlPortReadPortUchar(890), control);
    // A write that fails half way ends the run with its failure, the port back.
    pc->writes = 0;
    pc->failAt = 4;
    try {
        run({888, PulseTrain{{1, 2}, 3, 1000.0}, Recording889(1ms), false});
        FAIL();
    } catch (const PortError& failure) {
        EXPECT_EQ(failure.kind(), PortErrorKind::FailedAccess);
    }
    EXPECT_EQ(DlPortReadPortUchar(888), 0x5A);
    EXPECT_EQ(DlPortReadPortUchar(890), control);
    // A recorded address that is none is refused before any port is touched.
    RecorderOptions nowhere = Recording889(1ms);
    nowhere.ports = {889, 70000};
    EXPECT_THROW(Generator({888, PulseTrain{{2}, 3, 1000.0}, nowhere, false}, driven), PortError);
    // Bit 5 turns the data lines round: refused with the window's reason,
    // nothing driven, and bit 5 still set afterwards.
    DlPortWritePortUchar(890, 0x24);
    const std::uint8_t input = DlPortReadPortUchar(890);
    try {
        run({888, PulseTrain{{2}, 3, 1000.0}, {}, false});
        FAIL();
    } catch (const PortError& refusal) {
        EXPECT_EQ(refusal.kind(), PortErrorKind::RefusedInput);
    }
    EXPECT_EQ(DlPortReadPortUchar(890), input);
}

TEST_F(GeneratorTest, BasesWithoutOutputsAreRefusedBeforeAnyPort) {
    for (const std::int32_t base : {513, 511, 517, 65534, -1}) {
        try {
            Generator({base, SquareWave{{2}, 1000.0}, {}, false}, driven);
            ADD_FAILURE() << base;
        } catch (const PortError& refusal) {
            EXPECT_EQ(refusal.kind(), PortErrorKind::RefusedInput) << base;
        }
    }
}

TEST_F(GeneratorTest, AnEdgeThatNeverComesIsWaitedForUntilSignalAndLengthAreOver) {
    // Pin 13 (D1 through the plug) never rises: the wait ends after both the
    // signal and the recording's length from time 0, on the driven clock.
    using Case = std::tuple<Waveform, RecorderOptions, nanoseconds>; // signal, recording, end
    RecorderOptions rounds = Recording889(0ns);
    rounds.length = std::uint64_t{100};
    for (auto [wave, recording, end] :
         {Case{SquareWave{{2}, 1000.0, 50.0, 5ms}, Recording889(5ms), 5ms},
          Case{PulseTrain{{2}, 10, 1000.0}, Recording889(20ms), 20ms},
          Case{PulseTrain{{2}, 10, 1000.0}, rounds, 9500us}}) {
        recording.trigger = RecorderOptions::Trigger{0, 4, false, Edge::Rise};
        const std::int64_t from = clock.load();
        Generator generator({888, wave, recording, false}, driven);
        generator.start();
        while (!generator.finished() && clock.load() - from < 1'000'000'000)
            std::this_thread::yield();
        const nanoseconds took(clock.load() - from);
        generator.stop();
        const GeneratorResult result = generator.wait();
        EXPECT_GE(took, end);
        EXPECT_LT(took, end + 100us);
        EXPECT_FALSE(result.stats.stopped);
        EXPECT_FALSE(result.recorded->recording.triggerTime);
    }
}
