// SPDX-License-Identifier: MIT
#include "generating/WriteSchedule.h"
#include "generating/LatenessTally.h"
#include "generating/SignalLoop.h"
#include "pins/TogglePin.h"
#include "ports/PortError.h"

#include <gtest/gtest.h>

#include <vector>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

std::vector<TimedWrite> AllOf(WriteSchedule schedule, std::vector<bool>* begins = nullptr) {
    std::vector<TimedWrite> writes;
    for (; !schedule.done(); schedule.advance()) {
        if (begins)
            begins->push_back(schedule.beginsPeriod());
        writes.push_back(schedule.next());
    }
    return writes;
}

} // namespace

TEST(WriteSchedule, EachPinReachesItsLevelThroughItsInverterAndTheOtherBitsStay) {
    // The data latch holds 0xA4 and the control register 0xC4 (init high,
    // interrupts on, the unused top bits set) before the wave starts.
    struct Case {
        int pin;
        std::uint16_t port;
        std::uint8_t high, low; // the register's value with the pin high, then low
    };
    const Case cases[] = {
        {2, 888, 0xA5, 0xA4},  {9, 888, 0xA4, 0x24},  // D0, D7: as the bit
        {1, 890, 0xC4, 0xC5},  {14, 890, 0xC4, 0xC6}, // strobe, auto feed: inverted
        {16, 890, 0xC4, 0xC0}, {17, 890, 0xC4, 0xCC}, // init: as the bit; select in: inverted
    };
    for (const Case& c : cases) {
        const auto writes =
            AllOf(WriteSchedule(SquareWave{{c.pin}, 1000.0, 50.0, 1ms}, 888, 0xA4, 0xC4));
        ASSERT_EQ(writes.size(), 2u) << c.pin;
        EXPECT_EQ(writes[0], (TimedWrite{0ns, c.port, c.high})) << c.pin;
        EXPECT_EQ(writes[1], (TimedWrite{500us, c.port, c.low})) << c.pin;
    }
}

TEST(WriteSchedule, SquareWavesKeepTheirDutyAndPulseTrainsTheirCount) {
    // 25 % duty at 1 kHz for 50 ms: 50 periods, high at k ms, low 250 µs on.
    std::vector<bool> begins;
    auto writes = AllOf(WriteSchedule(SquareWave{{2}, 1000.0, 25.0, 50ms}, 888, 0, 0), &begins);
    ASSERT_EQ(writes.size(), 100u);
    for (std::size_t k = 0; k < 50; ++k) {
        EXPECT_EQ(writes[2 * k].due, nanoseconds(k * 1'000'000));
        EXPECT_EQ(writes[2 * k + 1].due, nanoseconds(k * 1'000'000 + 250'000));
        EXPECT_TRUE(begins[2 * k]);
        EXPECT_FALSE(begins[2 * k + 1]);
    }
    // Ten pulses on pin 2 and strobe together: the byte first, then the
    // strobe, every time; each pin leaves its idle level and comes back.
    begins.clear();
    writes = AllOf(WriteSchedule(PulseTrain{{1, 2}, 10, 1000.0}, 888, 0x40, 0x04), &begins);
    ASSERT_EQ(writes.size(), 40u);
    EXPECT_EQ(std::count(begins.begin(), begins.end(), true), 10);
    for (std::size_t k = 0; k < 10; ++k) {
        const nanoseconds at(k * 1'000'000);
        EXPECT_EQ(writes[4 * k], (TimedWrite{at, 888, 0x41}));
        EXPECT_EQ(writes[4 * k + 1], (TimedWrite{at, 890, 0x05}));
        EXPECT_EQ(writes[4 * k + 2], (TimedWrite{at + 500us, 888, 0x40}));
        EXPECT_EQ(writes[4 * k + 3], (TimedWrite{at + 500us, 890, 0x04}));
    }
    // A rate that does not divide a second keeps its periods from adding up
    // an error: period 999 999 of 3 Hz is due at 333 333 s.
    WriteSchedule slow(SquareWave{{2}, 3.0, 50.0, 400'000s}, 888, 0, 0);
    for (int i = 0; i < 2 * 999'999; ++i)
        slow.advance();
    EXPECT_EQ(slow.next().due, 333'333s);
}

TEST(WriteSchedule, PlayedRowsComeAtTheirTimesAndOnlyChangesAreWritten) {
    const PlayedSequence played{{{0ms, 2, true},
                                 {2ms, 2, false},
                                 {2ms, 1, false}, // strobe low: bit 0 set
                                 {3ms, 2, false}, // no change: nothing written
                                 {4ms, 2, true},
                                 {6ms, 2, false}},
                                6ms};
    WriteSchedule schedule(played, 888, 0x10, 0x00);
    EXPECT_EQ(schedule.lateAfter(), 200us);
    EXPECT_EQ(AllOf(schedule), (std::vector<TimedWrite>{{0ms, 888, 0x11},
                                                        {2ms, 888, 0x10},
                                                        {2ms, 890, 0x01},
                                                        {4ms, 888, 0x11},
                                                        {6ms, 888, 0x10}}));
}

TEST(WriteSchedule, DataPinsAreRefusedWhileTheLinesAreTurnedToInput) {
    EXPECT_THROW(WriteSchedule(SquareWave{{1, 3}, 10.0}, 888, 0, 0x20), PortError);
    try {
        WriteSchedule(PulseTrain{{5}, 1, 10.0}, 632, 0, 0x24);
        FAIL();
    } catch (const PortError& refusal) {
        EXPECT_EQ(refusal.kind(), PortErrorKind::RefusedInput);
        EXPECT_EQ(refusal.what(), DataLinesInputMessage(632));
    }
    // The control pins are the computer's either way; bit 5 stays as it was.
    EXPECT_EQ(AllOf(WriteSchedule(PulseTrain{{16}, 1, 10.0}, 888, 0, 0x20)).front().value, 0x24);
}

TEST(Waveform, WhatCannotBeGeneratedIsRefusedBeforeAnyPort) {
    const Waveform refused[] = {
        SquareWave{{}, 1000.0},
        SquareWave{{10}, 1000.0},
        SquareWave{{18}, 1000.0},
        SquareWave{{2}, 0.5},
        SquareWave{{2}, 100'001.0},
        SquareWave{{2}, 1e3, 0.0},
        SquareWave{{2}, 1e3, 100.0},
        SquareWave{{2}, 1e3, 50.0, 0s},
        PulseTrain{{2}, 0, 1e3},
        PulseTrain{{2}, 1'000'000'001, 1e3},
        PulseTrain{{15}, 1, 1e3},
        PlayedSequence{},
        PlayedSequence{{{2ms, 2, true}, {1ms, 2, false}}, 2ms},
        PlayedSequence{{{0ms, 11, true}}, 0ms},
    };
    for (const Waveform& waveform : refused)
        EXPECT_TRUE(WaveformRefusal(waveform)) << waveform.index();
    const Waveform accepted[] = {SquareWave{{1, 2, 9, 14, 16, 17}, 100'000.0, 1.0},
                                 SquareWave{{2}, 1.0, 99.0}, PulseTrain{{1}, 1'000'000'000, 1.0},
                                 PlayedSequence{{{0ms, 2, true}, {0ms, 17, true}}, 1ms}};
    for (const Waveform& waveform : accepted)
        EXPECT_EQ(WaveformRefusal(waveform), std::nullopt) << waveform.index();
}

TEST(LatenessTally, GivesTheMedianWorstAndLateCount) {
    LatenessTally tally(25ns);
    for (const nanoseconds lateness : std::vector<nanoseconds>{10ns, 20ns, 30ns, 2ms, 5ns})
        tally.add(lateness);
    EXPECT_EQ(tally.median(), 20ns);
    EXPECT_EQ(tally.worst(), 2ms);
    EXPECT_EQ(tally.late(), 2u);
}

TEST(SignalLoop, WritesAlreadyDueGoOutInBurstsTimedAfterThem) {
    // A wave far faster than the port: every write is due at once. The loop
    // looks at the clock once before and once after each burst, not once a
    // write, and counts each burst write as late as the reading after it.
    WriteSchedule schedule(SquareWave{{2}, 1e9, 50.0, 32ns}, 888, 0, 0);
    ASSERT_EQ(schedule.total(), 64u);
    std::int64_t looks = 0;
    const auto now = [&looks] { return nanoseconds(1'000 * ++looks); };
    std::vector<TimedWrite> written;
    const auto write = [&written](std::uint16_t port, std::uint8_t value) {
        written.push_back({{}, port, value});
    };
    std::atomic<bool> stop{false};
    std::atomic<double> progress{0.0};
    SignalLoop<decltype(now), decltype(write), false> loop(schedule, now, write, stop, progress);
    loop.run();
    const GeneratorStats stats = loop.stats();
    EXPECT_EQ(written.size(), 64u);
    EXPECT_EQ(stats.writes, 64u);
    EXPECT_EQ(stats.periods, 32u);
    // Zero, then a look before and after each of the two bursts; the last
    // burst's writes were due about 1 µs in and counted at the fifth look.
    EXPECT_EQ(looks, 5);
    EXPECT_GT(stats.worstLateness, 3500ns);
    EXPECT_EQ(progress.load(), 1.0);
}
