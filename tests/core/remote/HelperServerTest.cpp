// SPDX-License-Identifier: MIT
// Both ends of the helper's pipe in one process: the helper's loop on the
// simulated PC, and the window's backend that talks to it.
#include "remote/HelperServer.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"
#include "remote/HelperPorts.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>
#include <utility>
#include <unistd.h>

using namespace portprov;
namespace hp = portprov::helper_protocol;

namespace {

using std::chrono::milliseconds;

void SendRaw(int socket, const hp::Frame& frame) {
    ASSERT_EQ(::write(socket, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
}

hp::Answer ReceiveRaw(int socket) {
    hp::Frame frame;
    EXPECT_EQ(::recv(socket, frame.data(), frame.size(), MSG_WAITALL),
              static_cast<ssize_t>(frame.size()));
    return std::get<hp::Answer>(hp::ParseAnswer(frame));
}

GeneratorOptions SquareOnD0(std::chrono::nanoseconds duration) {
    return {888, SquareWave{{2}, 1000.0, 50.0, duration}, std::nullopt, false};
}

// The helper's loop on a thread, serving one end of a socket pair.
class HelperServerTest : public testing::Test {
protected:
    std::shared_ptr<SimulatedPc> pc = std::make_shared<SimulatedPc>();
    int window = -1;
    int helper = -1;
    std::thread loop;

    void SetUp() override {
        pc->insertPlug(LoopbackPlug::Data);
        SelectPortBackend(SharedBackend(pc));
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        window = pair[0];
        helper = pair[1];
        loop = std::thread([this] {
            HelperServer server(helper, helper);
            server.serve();
        });
    }
    void TearDown() override {
        ::shutdown(window, SHUT_RDWR);
        if (loop.joinable())
            loop.join();
        ::close(helper);
        SelectPortBackend(nullptr);
    }
    std::unique_ptr<HelperPorts> connect() { return std::make_unique<HelperPorts>(::dup(window)); }
};

TEST_F(HelperServerTest, AccessesAndSequencesRunInTheHelper) {
    auto ports = connect();
    ports->write(888, 85);
    EXPECT_EQ(ports->read(888), 85);
    EXPECT_EQ(pc->read(888), 85);
    const PinToggle toggle = ports->togglePin(2, 888);
    EXPECT_EQ(toggle.outcome, PinToggle::Outcome::Written);
    EXPECT_EQ(toggle.written, 84);
    EXPECT_TRUE(ports->loopbackTest(888, LoopbackPlug::Data).passed());
    EXPECT_EQ(ports->read(888), 84); // put back after the test
    EXPECT_EQ(ports->probeModes(888).of(PortMode::Ecp), ModeAnswer::Yes);

    RecorderOptions options;
    options.ports = {888, 889};
    options.length = std::uint64_t{50};
    options.startWrite = RecorderOptions::Write{888, 1}; // D0 out, back on Fel (pin 15)
    std::atomic<bool> stop{false};
    std::atomic<double> progress{0.0};
    std::atomic<bool> waiting{false};
    const RecorderResult result = ports->record(options, stop, progress, waiting);
    EXPECT_EQ(result.recording.ports, (std::vector<std::uint16_t>{888, 889}));
    ASSERT_EQ(result.recording.initial.size(), 2u);
    EXPECT_EQ(result.recording.initial[0], 1);
    EXPECT_EQ(result.recording.initial[1] & 0x08, 0x08);
    EXPECT_EQ(result.stats.samples, 50u);
}

TEST_F(HelperServerTest, FailuresKeepTheirKindAndABadRequestIsRefusedNotServed) {
    auto ports = connect();
    hp::Frame garbage{};
    garbage.fill(0xEE);
    SendRaw(window, garbage);
    const hp::Answer refused = ReceiveRaw(window);
    EXPECT_EQ(refused.kind, hp::Kind::Failed);
    EXPECT_EQ(refused.errorKind, PortErrorKind::RefusedInput);
    // Still serving, and a port's own failure arrives as its kind.
    EXPECT_EQ(ports->read(889), pc->read(889));
    try {
        ports->loopbackTest(65534, LoopbackPlug::Control);
        ADD_FAILURE() << "a base at the top was tested";
    } catch (const PortError& error) {
        EXPECT_EQ(error.kind(), PortErrorKind::RefusedInput);
    }
}

TEST_F(HelperServerTest, AWindowThatGoesMidSequenceGetsThePortPutBack) {
    pc->write(888, 85);
    pc->write(890, 4);
    auto ports = connect();
    const auto hold = ports->holdForSequence(888);
    ports->write(888, 0);
    ports->write(890, 11);
    // The window dies here: its end of the pipe closes with the hold still taken.
    ::shutdown(window, SHUT_RDWR);
    loop.join();
    EXPECT_EQ(pc->read(888), 85);
    EXPECT_EQ(pc->read(890) & 0x3F, 4);
}

TEST_F(HelperServerTest, ARecordingStopsWhenAskedAndTellsWhileItWaitsForTheEdge) {
    auto ports = connect();
    for (const bool withTrigger : {false, true}) {
        SCOPED_TRACE(withTrigger);
        RecorderOptions options;
        options.ports = {889};
        options.length = std::chrono::nanoseconds(std::chrono::seconds(30));
        if (withTrigger)
            options.trigger = RecorderOptions::Trigger{0, 3, false, Edge::Fall}; // Fel stays high
        std::atomic<bool> stop{false};
        std::atomic<double> progress{0.0};
        std::atomic<bool> waiting{false};
        bool sawWaiting = false;
        std::thread stopper([&] {
            // Progress comes every 50 ms; waiting must show in one of them.
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!(sawWaiting = waiting.load()) && withTrigger &&
                   std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            stop = true;
        });
        const auto started = std::chrono::steady_clock::now();
        const RecorderResult result = ports->record(options, stop, progress, waiting);
        stopper.join();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
        EXPECT_GT(result.stats.samples, 0u);
        EXPECT_EQ(sawWaiting, withTrigger);
        EXPECT_FALSE(result.recording.triggerTime); // stopped before any edge
    }
}

TEST_F(HelperServerTest, ASignalRunsInTheHelperAndLeavesThePortAsItFoundIt) {
    pc->write(888, 0xA4); // D0 low, and bits the signal must not keep
    pc->write(890, 0x04);
    auto ports = connect();
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped);
        GeneratorOptions options =
            SquareOnD0(stopped ? std::chrono::seconds(30) : milliseconds(20));
        options.recording.emplace().ports = {889};
        options.recording->length = milliseconds(20);
        std::atomic<bool> stop{false};
        std::atomic<double> progress{0.0};
        std::thread stopper([&] {
            std::this_thread::sleep_for(milliseconds(stopped ? 100 : 0));
            stop = stopped;
        });
        const GeneratorResult result = ports->generate(options, stop, progress);
        stopper.join();
        EXPECT_EQ(result.stats.stopped, stopped);
        if (!stopped) {
            EXPECT_EQ(result.stats.periods, 20u);
            EXPECT_EQ(result.stats.writes, 40u);
        }
        // D0 comes back on Fel (pin 15, 889 bit 3) through the plug.
        ASSERT_TRUE(result.recorded);
        EXPECT_FALSE(result.recorded->recording.changes.empty());
        EXPECT_EQ(pc->read(888), 0xA4);
        EXPECT_EQ(pc->read(890) & 0x3F, 0x04);
    }
}

TEST_F(HelperServerTest, APlayedSignalComesInFramesAndABadOneIsAnsweredOnce) {
    PlayedSequence played;
    for (int i = 0; i < 400; ++i)
        played.changes.push_back({std::chrono::microseconds(10 * i), 2, i % 2 == 0});
    played.length = milliseconds(5);
    GeneratorOptions options = SquareOnD0({});
    options.waveform = played;
    std::vector<hp::Frame> frames;
    for (const hp::Request& request : hp::GenerationRequests(options))
        frames.push_back(hp::Encode(request));
    ASSERT_EQ(frames.size(), 4u);
    hp::Frame noChanges = frames[0];
    noChanges[hp::kHeaderSize + 6] = 0; // announces 0 changes: refused, its follow-ups dropped
    noChanges[hp::kHeaderSize + 7] = 0;
    const std::vector<hp::Frame> bad[] = {{frames[0], frames[2], frames[1], frames[3]},
                                          {noChanges, frames[1], frames[2], frames[3]}};
    auto ports = connect();
    for (const auto& sent : bad) {
        for (const hp::Frame& frame : sent)
            SendRaw(window, frame);
        EXPECT_EQ(ReceiveRaw(window).errorKind, PortErrorKind::RefusedInput);
        EXPECT_EQ(ports->read(889), pc->read(889)); // the next answer is the read's
    }
    std::atomic<bool> stop{false};
    std::atomic<double> progress{0.0};
    EXPECT_EQ(ports->generate(options, stop, progress).stats.periods, 400u);
}

// The window goes (its end closed), or no longer reads (the helper's
// answers cannot be sent): either way the signal stops and the port is put
// back at once, not at the signal's end.
TEST_F(HelperServerTest, AWindowThatGoesMidSignalGetsThePortPutBack) {
    for (const int how : {SHUT_RDWR, SHUT_RD}) {
        SCOPED_TRACE(how);
        if (how == SHUT_RD)
            SetUp();
        pc->write(888, 0xA4);
        SendRaw(window, hp::Encode(hp::GenerationRequests(SquareOnD0(std::chrono::seconds(30)))[0]));
        EXPECT_EQ(ReceiveRaw(window).kind, hp::Kind::GenerateStarted);
        const auto gone = std::chrono::steady_clock::now();
        ::shutdown(window, how);
        loop.join();
        EXPECT_LT(std::chrono::steady_clock::now() - gone, std::chrono::seconds(10)); // not 30 s
        EXPECT_EQ(pc->read(888), 0xA4);
        ::close(std::exchange(window, -1));
        ::close(std::exchange(helper, -1));
    }
}

// A recording's changes leave the helper while the signal runs, a batch
// (here 16) at a time, not all at its end: a long run's would otherwise pile
// up in the helper.
TEST_F(HelperServerTest, ARecordingsChangesGoToTheWindowWhileItRuns) {
    ::shutdown(window, SHUT_RDWR);
    loop.join();
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    std::thread streaming([end = pair[1]] { HelperServer(end, end, 16).serve(); });
    GeneratorOptions options = SquareOnD0(milliseconds(500));
    options.recording.emplace().ports = {889};
    options.recording->length = milliseconds(500);
    SendRaw(pair[0], hp::Encode(hp::GenerationRequests(options)[0]));
    EXPECT_EQ(ReceiveRaw(pair[0]).kind, hp::Kind::GenerateStarted);
    std::size_t changes = 0, changesBeforeLastProgress = 0;
    for (hp::Answer answer = ReceiveRaw(pair[0]); answer.kind != hp::Kind::Generated;
         answer = ReceiveRaw(pair[0])) {
        ASSERT_TRUE(answer.kind == hp::Kind::Changes || answer.kind == hp::Kind::Progress);
        changes += answer.changes.size();
        if (answer.kind == hp::Kind::Progress)
            changesBeforeLastProgress = changes;
    }
    // D0 comes back on Fel: up to two changes a period, 500 periods.
    EXPECT_GE(changesBeforeLastProgress, 16u);
    EXPECT_LE(changes, 1000u);
    ::close(pair[0]);
    streaming.join();
    ::close(pair[1]);
}

} // namespace
