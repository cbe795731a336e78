// SPDX-License-Identifier: MIT
// Both ends of the helper's pipe in one process: the helper's loop on the
// simulated PC, and the window's backend that talks to it.
#include "remote/HelperServer.h"
#include "remote/HelperPorts.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace portprov;
namespace hp = portprov::helper_protocol;

namespace {

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
    ASSERT_EQ(::write(window, garbage.data(), garbage.size()), static_cast<ssize_t>(garbage.size()));
    hp::Frame answer;
    ASSERT_EQ(::recv(window, answer.data(), answer.size(), MSG_WAITALL),
              static_cast<ssize_t>(answer.size()));
    const auto refused = std::get<hp::Answer>(hp::ParseAnswer(answer));
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

} // namespace
