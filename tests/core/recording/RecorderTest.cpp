// SPDX-License-Identifier: MIT
#include "recording/Recorder.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/PreTriggerRing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;
using Change = Recording::Change;
using testing::StrEq;
using testing::ThrowsMessage;

namespace {

// Ports whose time moves only as the recorder reads its clock and the ports.
struct TimedPorts : PortBackend {
    nanoseconds now{1s}, perClockRead{0}, perRead{1us}, stall{};
    std::uint64_t stallAt = UINT64_MAX, failAt = UINT64_MAX, outOfMemoryAt = UINT64_MAX;
    // Stopped at read stopAt; whether it waited for the edge at read askWaitingAt.
    Recorder* recorder = nullptr;
    std::uint64_t stopAt = UINT64_MAX, askWaitingAt = UINT64_MAX;
    bool waitingThen = false;
    std::function<std::uint8_t(std::uint16_t port, std::uint64_t read)> answer =
        [](std::uint16_t, std::uint64_t) -> std::uint8_t { return 0; };
    std::vector<nanoseconds> readTimes;
    std::atomic<std::uint64_t> reads{0};

    std::uint8_t read(std::uint16_t port) override {
        const std::uint64_t index = reads++;
        readTimes.push_back(now);
        now += perRead + (index == stallAt ? stall : 0ns);
        if (index == failAt)
            throw PortError(PortErrorKind::FailedAccess, "Läsfel");
        if (index == outOfMemoryAt)
            throw std::bad_alloc();
        if (index == stopAt)
            recorder->stop();
        if (index == askWaitingAt)
            waitingThen = recorder->waitingForEdge();
        return answer(port, index);
    }
    void write(std::uint16_t, std::uint8_t) override {}
    std::string describe() const override { return "tidsatta testportar"; }
};

struct RecorderTest : ::testing::Test {
    std::shared_ptr<TimedPorts> ports = std::make_shared<TimedPorts>();
    void SetUp() override { SelectPortBackend(SharedBackend(ports)); }
    void TearDown() override { SelectPortBackend({}); }

    std::uint64_t clockReads = 0;
    RecorderResult record(RecorderOptions options, bool batchReads = false) {
        ports->reads = clockReads = 0;
        ports->readTimes.clear();
        Recorder recorder(
            std::move(options), [this] { return ++clockReads, ports->now += ports->perClockRead; },
            batchReads);
        ports->recorder = &recorder;
        recorder.start();
        return recorder.wait();
    }
};

} // namespace

TEST_F(RecorderTest, OnlyTheChangesAreKeptWhateverTheLength) {
    // 888 counts up every 10 rounds until it has changed `changes` times;
    // 889 never changes. Two reads of 1 µs make a round.
    struct Case {
        int changes;
        std::variant<nanoseconds, std::uint64_t> length;
        std::uint64_t rounds;
    };
    for (const Case& c : {Case{3, std::uint64_t{31}, 31}, Case{3, std::uint64_t{100'000}, 100'000},
                          Case{40, nanoseconds(1s), 500'001}}) {
        ports->answer = [&](std::uint16_t port, std::uint64_t read) {
            return static_cast<std::uint8_t>(
                port == 889 ? 0x7F : std::min<std::uint64_t>(read / 20, c.changes));
        };
        const RecorderResult result = record({.ports = {888, 889}, .length = c.length});
        std::vector<Change> expected;
        for (int j = 1; j <= c.changes; ++j)
            expected.push_back({20us * j, 0, static_cast<std::uint8_t>(j)});
        EXPECT_EQ(result.recording.changes, expected);
        EXPECT_EQ(result.recording.initial, (std::vector<std::uint8_t>{0, 0x7F}));
        EXPECT_EQ(result.stats.samples, c.rounds);
        EXPECT_EQ(result.recording.length, nanoseconds(2us) * (c.rounds - 1) + 1us);
        EXPECT_EQ(result.stats.longestGap, 2us);
        EXPECT_DOUBLE_EQ(result.stats.meanRate, 500'000.0);
    }
}

TEST_F(RecorderTest, TriggerKeepsTheStretchBeforeItsEdge) {
    // One read of 1 µs a round. Bit 3 is high from read 50 to 79, bit 1 from
    // read 10 on, bit 0 at read 39 only, just before the stretch kept at the rise.
    ports->answer = [](std::uint16_t, std::uint64_t i) {
        return static_cast<std::uint8_t>((i >= 10 ? 2 : 0) | (i == 39 ? 1 : 0) |
                                         (i >= 50 && i < 80 ? 8 : 0));
    };
    const std::vector<Change> atRise{{0us, 0, 2}, {10us, 0, 10}, {40us, 0, 2}},
        atFall{{10us, 0, 2}},
        fromStart{{10us, 0, 2}, {39us, 0, 3}, {40us, 0, 2}, {50us, 0, 10}, {80us, 0, 2}};
    struct Case {
        RecorderOptions::Trigger trigger;
        std::uint8_t initial;
        const std::vector<Change>& changes;
    };
    for (const Case& c :
         {Case{{0, 3, false, Edge::Rise}, 3, atRise}, Case{{0, 3, true, Edge::Fall}, 3, atRise},
          Case{{0, 3, false, Edge::Fall}, 10, atFall}, Case{{0, 3, true, Edge::Rise}, 10, atFall},
          // Less than the stretch lies before the edge: all is kept.
          Case{{0, 1, false, Edge::Rise, 0.5}, 0, fromStart}}) {
        for (const bool byRounds : {true, false}) {
            SCOPED_TRACE(testing::Message() << "bit " << c.trigger.bit << " inverted "
                                            << c.trigger.inverted << " by rounds " << byRounds);
            const RecorderResult result = record(
                {.ports = {889},
                 .length = byRounds ? std::variant<nanoseconds, std::uint64_t>(std::uint64_t{100})
                                    : nanoseconds(100us),
                 .trigger = c.trigger});
            EXPECT_EQ(result.recording.initial, std::vector<std::uint8_t>{c.initial});
            EXPECT_EQ(result.recording.changes, c.changes);
            EXPECT_EQ(result.recording.triggerTime, 10us);
            EXPECT_EQ(result.recording.length, byRounds ? 99us : 100us);
        }
    }
}

TEST_F(RecorderTest, AWaitForTheEdgeIsNeitherCountedNorHeldBeyondTheStretch) {
    // One read of 1 µs a round. The edge: bit 3 rises at read `rise`. Bit 0
    // toggles at every read from read `toggleFrom` on.
    constexpr std::uint64_t kNever = UINT64_MAX;
    constexpr std::size_t kMost = PreTriggerRing::kMostChanges;
    struct Case {
        std::variant<nanoseconds, std::uint64_t> length;
        std::uint64_t rise, toggleFrom, stopAt;
        std::size_t changes;                      // kept
        std::uint64_t fewestSamples, mostSamples; // of the kept stretch
    };
    for (const Case& c : {
             // The edge after a long wait: 10 rounds of 100 before it.
             Case{std::uint64_t{100}, 5'000, kNever, kNever, 1, 100, 100},
             Case{nanoseconds(100us), 5'000, kNever, kNever, 1, 101, 101},
             // It never comes: stopped, the stretch while waiting is kept, but
             // no more than the ring holds, however long the recording.
             Case{std::uint64_t{1'000'000'000'000'000}, kNever, 0, 300'000, kMost, kMost,
                  kMost + 2},
             Case{nanoseconds(24h), kNever, 0, 300'000, kMost, kMost, kMost + 2},
         }) {
        SCOPED_TRACE(testing::Message() << "rise " << c.rise << " by rounds "
                                        << std::holds_alternative<std::uint64_t>(c.length));
        ports->answer = [&](std::uint16_t, std::uint64_t i) {
            return static_cast<std::uint8_t>((i >= c.rise ? 8 : 0) |
                                             (i >= c.toggleFrom ? i % 2 : 0));
        };
        ports->stopAt = c.stopAt;
        ports->askWaitingAt = 4'000;
        const RecorderResult result =
            record({.ports = {889}, .length = c.length, .trigger = {{0, 3, false, Edge::Rise}}});
        const Recording& recording = result.recording;
        EXPECT_TRUE(ports->waitingThen);
        EXPECT_EQ(recording.triggerTime.has_value(), c.rise != kNever);
        EXPECT_EQ(recording.changes.size(), c.changes);
        EXPECT_GE(result.stats.samples, c.fewestSamples);
        EXPECT_LE(result.stats.samples, c.mostSamples);
        // Samples, rate and length agree: a round a microsecond.
        EXPECT_EQ(recording.length, nanoseconds(1us) * (result.stats.samples - 1));
        EXPECT_NEAR(result.stats.meanRate, 1e6, 1);
        EXPECT_LE(recording.changes.back().time, recording.length);
    }
}

TEST_F(RecorderTest, TheLongestGapIsTheKeptStretchsAlone) {
    // One read of 1 µs a round; read `stallAt` stalls 1 ms. Bit 3 rises at
    // read 5000 unless stopped first; the 10 rounds before are kept.
    ports->answer = [](std::uint16_t, std::uint64_t i) {
        return static_cast<std::uint8_t>(i >= 5'000 ? 8 : 0);
    };
    ports->stall = 1ms;
    constexpr std::uint64_t kNever = UINT64_MAX;
    using Case = std::tuple<std::uint64_t, std::uint64_t, bool>; // stall, stop, kept
    for (const auto& [stallAt, stopAt, kept] :
         {Case{1'000, kNever, false}, Case{4'995, kNever, true}, Case{1'000, 3'000, false},
          Case{2'995, 3'000, true}}) {
        SCOPED_TRACE(testing::Message() << "stall at " << stallAt << ", stop at " << stopAt);
        ports->stallAt = stallAt;
        ports->stopAt = stopAt;
        const RecorderResult result = record(
            {.ports = {889}, .length = std::uint64_t{100}, .trigger = {{0, 3, false, Edge::Rise}}});
        if (kept)
            EXPECT_GE(result.stats.longestGap, 1ms);
        else
            EXPECT_LE(result.stats.longestGap, 2us);
    }
}

TEST_F(RecorderTest, RunningOutOfMemoryEndsTheRecordingWithWhatItHolds) {
    // Bit 0 rises at read 100; memory runs out at read 500.
    ports->answer = [](std::uint16_t, std::uint64_t i) {
        return static_cast<std::uint8_t>(i >= 100);
    };
    ports->outOfMemoryAt = 500;
    for (const bool withTrigger : {false, true}) {
        const RecorderResult result =
            record({.ports = {888},
                    .length = nanoseconds(1h),
                    .trigger = withTrigger ? std::optional(RecorderOptions::Trigger{0, 1})
                                           : std::nullopt}); // never rises
        EXPECT_TRUE(result.stats.outOfMemory);
        EXPECT_EQ(result.recording.changes, (std::vector<Change>{{100us, 0, 1}}));
        EXPECT_EQ(result.stats.samples, 501u);
        EXPECT_FALSE(result.recording.triggerTime);
    }
}

TEST_F(RecorderTest, FixedRateHoldsItsScheduleAndCountsLateRounds) {
    // One read a round; the read of round 500 stalls for some periods.
    struct Case {
        double rate, stallPeriods;
        std::uint64_t late;
    };
    for (const Case& c :
         {Case{1e6, 0, 0}, Case{1e6, 2.5, 1}, Case{3e3, 4.5, 3}, Case{3e3, 0.5, 0}}) {
        SCOPED_TRACE(c.rate);
        const double period = 1e9 / c.rate;
        const auto share = [&](double periods) {
            return nanoseconds(std::llround(period * periods));
        };
        ports->perClockRead = share(0.01);
        ports->perRead = share(0.05);
        ports->stallAt = 500;
        ports->stall = share(c.stallPeriods);
        const RecorderResult result =
            record({.ports = {513}, .rate = c.rate, .length = std::uint64_t{2000}});
        ASSERT_EQ(ports->readTimes.size(), 2000u);
        // On time from the first round to the last, but for the catching up.
        for (std::size_t k = 0; k < 2000; k = k == 500 ? 520 : k + 1)
            EXPECT_NEAR(static_cast<double>((ports->readTimes[k] - ports->readTimes[0]).count()),
                        static_cast<double>(k) * period, period / 25)
                << "round " << k;
        EXPECT_EQ(result.stats.lateSamples, c.late);
        EXPECT_GE(result.stats.longestGap, ports->stall);
        EXPECT_NEAR(result.stats.meanRate, c.rate, c.rate / 1000);
    }
}

TEST_F(RecorderTest, AFixedRateKeepsItsDurationByTime) {
    // One read a round; read 5 stalls 2.5 periods: round 6 is late, read at
    // once, and the rounds after it catch up. None is made up.
    struct Case {
        double rate;
        nanoseconds duration;
        std::uint64_t stallAt, samples, late;
    };
    for (const Case& c : {Case{1e3, 10ms, UINT64_MAX, 10, 0}, Case{1e3, 10ms, 5, 10, 1},
                          Case{1e6, 100us, UINT64_MAX, 100, 0}, Case{3e3, 1s, 1000, 3000, 1}}) {
        SCOPED_TRACE(c.rate);
        const auto period = nanoseconds(std::llround(1e9 / c.rate));
        ports->perClockRead = period / 100, ports->perRead = period / 20;
        ports->stallAt = c.stallAt;
        ports->stall = period * 5 / 2;
        const RecorderResult result =
            record({.ports = {513}, .rate = c.rate, .length = c.duration});
        EXPECT_EQ(result.stats.samples, c.samples);
        EXPECT_EQ(ports->readTimes.size(), c.samples);
        EXPECT_EQ(result.stats.lateSamples, c.late);
        EXPECT_EQ(result.recording.length, c.duration);
    }
}

TEST_F(RecorderTest, BatchesOfReadsKeepTimesLengthAndGapsHonest) {
    // Reads of 10 ns make batches of 100 reads a clock reading, reads of
    // 400 ns batches of 2. Bit 0 of 888 rises at read `rise`; read `stallAt`
    // stalls 5 µs (in the last row inside the last batch, reads 927 to 999).
    struct Case {
        std::vector<std::int32_t> ports;
        std::variant<nanoseconds, std::uint64_t> length;
        nanoseconds perRead;
        std::uint64_t rise, stallAt, readsPerClock;
        std::optional<RecorderOptions::Trigger> trigger;
    };
    for (const Case& c :
         {Case{{888}, 100us, 10ns, 5'000, 3'000, 50, {}},
          Case{{888, 889, 890}, 100us, 10ns, 7'002, 9'050, 50, {}},
          Case{{889, 888}, 100us, 10ns, 6'001, 100, 50, {{1, 0, false, Edge::Rise, 0.5}}},
          Case{{888, 889, 890}, 100us, 400ns, 150, UINT64_MAX, 2, {}},
          Case{{888}, std::uint64_t{1000}, 10ns, 500, 997, 10, {}}}) {
        SCOPED_TRACE(testing::Message() << c.ports.size() << " ports, reads of " << c.perRead);
        ports->perRead = c.perRead, ports->stallAt = c.stallAt, ports->stall = 5us;
        ports->answer = [&](std::uint16_t port, std::uint64_t read) {
            return static_cast<std::uint8_t>(port == 888 && read >= c.rise);
        };
        const RecorderResult result =
            record({.ports = c.ports, .length = c.length, .trigger = c.trigger}, true);
        const std::vector<nanoseconds>& at = ports->readTimes;
        // Ten more size the batches before the first read.
        EXPECT_LE((clockReads - 10) * c.readsPerClock, at.size() + 20);
        ASSERT_EQ(result.recording.changes.size(), 1u);
        const nanoseconds time0 = c.trigger ? at[c.rise] - 50us : at[0];
        EXPECT_GE(result.recording.changes[0].time, at[c.rise] - time0);
        EXPECT_LE(result.recording.changes[0].time, at[c.rise] + c.perRead - time0);
        EXPECT_EQ(result.recording.triggerTime,
                  c.trigger ? std::optional(result.recording.changes[0].time) : std::nullopt);
        if (const auto* duration = std::get_if<nanoseconds>(&c.length)) {
            EXPECT_GE(result.recording.length, *duration);
            EXPECT_LE(result.recording.length, *duration + 3us);
        }
        // A gap counts where it ends inside the stretch kept (the stall
        // before the trigger's stretch does not).
        nanoseconds gap{};
        for (std::size_t i = c.ports.size(); i < at.size(); ++i)
            if (at[i] >= time0)
                gap = std::max(gap, at[i] - at[i - c.ports.size()]);
        EXPECT_GE(result.stats.longestGap, gap);
        EXPECT_LE(result.stats.longestGap, gap + 2us);
    }
}

TEST_F(RecorderTest, WhereTheClockIsDearTheBatchesGrowUntilItCostsLittle) {
    // A clock reading of 1 µs beside reads of 100 ns, as in an emulator: with
    // batches of a microsecond the clock would take most of the time.
    ports->perClockRead = 1us, ports->perRead = 100ns;
    record({.ports = {889}, .length = 20ms}, true);
    EXPECT_GE(ports->readTimes.size(), 200 * clockReads);
}

TEST_F(RecorderTest, APortFailureEndsTheRecordingAndReachesTheCaller) {
    EXPECT_THROW(record({.ports = {888, 65536}}), PortError);
    EXPECT_EQ(ports->reads, 0u);
    ports->failAt = 500;
    EXPECT_THAT([&] { record({.ports = {888}}); }, ThrowsMessage<PortError>(StrEq("Läsfel")));
    EXPECT_EQ(DlPortReadPortUchar(888), 0); // the ports are free again
}

TEST_F(RecorderTest, OtherAccessesAreRefusedUntilStopEndsTheRecording) {
    const auto busy = ThrowsMessage<PortError>(StrEq(kRecordingRunsMessage));
    for (const bool withTrigger : {false, true}) {
        ports->reads = 0;
        Recorder recorder({.ports = {888, 889},
                           .length = nanoseconds(1h),
                           .trigger = withTrigger ? std::optional(RecorderOptions::Trigger{})
                                                  : std::nullopt}); // never rises
        recorder.start();
        while (ports->reads < 1000)
            EXPECT_THAT([] { DlPortReadPortUchar(889); }, busy);
        EXPECT_THAT([] { DlPortWritePortUchar(888, 1); }, busy);
        EXPECT_THAT([] { static_cast<void>(HoldPortForSequence(888)); }, busy);
        EXPECT_THAT([] { Recorder({.ports = {632}}).start(); }, busy);
        EXPECT_THAT([] { SelectPortBackend({}); }, busy);
        recorder.stop();
        const RecorderResult result = recorder.wait();
        EXPECT_EQ(DlPortReadPortUchar(889), 0);
        EXPECT_GE(result.stats.samples, 500u);
        EXPECT_LT(result.recording.length, 1h);
        EXPECT_FALSE(result.recording.triggerTime);
        EXPECT_EQ(recorder.progress() > 0.0, !withTrigger);
    }
}

TEST(RecorderOnTheSimulatedPc, TheStartWriteSetsOffTheGamePortsAxisTimers) {
    nanoseconds now{1s};
    auto pc = std::make_shared<SimulatedPc>([&] { return now; });
    pc->setJoystickA(0, 100);
    SelectPortBackend(SharedBackend(pc));
    // The clock moves 100 ns at each read of it, once a read of the port.
    Recorder recorder({.ports = {513}, .length = std::uint64_t{15'000}, .startWrite = {{513, 0}}},
                      [&] { return now += 100ns; });
    recorder.start();
    const RecorderResult result = recorder.wait();
    SelectPortBackend({});
    EXPECT_EQ(result.recording.initial, std::vector<std::uint8_t>{255});
    EXPECT_EQ(
        result.recording.changes,
        (std::vector<Change>{{24'100ns, 0, 254}, {574'100ns, 0, 242}, {1'124'100ns, 0, 240}}));
}
