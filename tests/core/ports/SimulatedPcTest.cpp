// SPDX-License-Identifier: MIT
#include "ports/simulated/SimulatedPc.h"
#include "ports/PortIo.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace portprov;
using namespace std::chrono_literals;

namespace {

// A clock that stands still until the test moves it.
struct ManualClock {
    std::chrono::nanoseconds now{1'000'000'000};
    SimulatedPc::Clock clock() {
        return [this] { return now; };
    }
};

} // namespace

TEST(SimulatedPc, EachParallelPortLatchesItsDataAndReadsBackItsControl) {
    SimulatedPc pc;
    for (const int base : {888, 632, 956}) {
        SCOPED_TRACE(base);
        const auto data = static_cast<std::uint16_t>(base);
        const auto status = static_cast<std::uint16_t>(base + 1);
        const auto control = static_cast<std::uint16_t>(base + 2);

        EXPECT_EQ(pc.read(data), 0);
        pc.write(data, 85);
        EXPECT_EQ(pc.read(data), 85);
        pc.write(data, 255);
        EXPECT_EQ(pc.read(data), 255);

        // Nothing attached: every status input high, busy reading 0.
        EXPECT_EQ(pc.read(status), 127);
        pc.write(status, 0);
        EXPECT_EQ(pc.read(status), 127);

        // Bits 6 and 7 of the control register always read 1.
        EXPECT_EQ(pc.read(control), 192);
        pc.write(control, 15);
        EXPECT_EQ(pc.read(control), 207);
        pc.write(control, 16);
        EXPECT_EQ(pc.read(control), 208);
        pc.write(control, 0);
        EXPECT_EQ(pc.read(control), 192);
        pc.write(control, 0xC0);
        EXPECT_EQ(pc.read(control), 192);
    }
}

TEST(SimulatedPc, ControlBitFiveTurnsTheDataLinesToInput) {
    SimulatedPc pc;
    pc.write(888, 85);
    pc.write(890, 32);
    EXPECT_EQ(pc.read(888), 255); // the lines, with nothing attached
    EXPECT_EQ(pc.read(890), 224);
    // The latch still takes a write while the lines are input...
    pc.write(888, 12);
    EXPECT_EQ(pc.read(888), 255);
    // ...and drives it again once they are output.
    pc.write(890, 0);
    EXPECT_EQ(pc.read(888), 12);

    // The other ports keep their own direction and latch.
    pc.write(632, 7);
    pc.write(956, 9);
    pc.write(890, 32);
    EXPECT_EQ(pc.read(632), 7);
    EXPECT_EQ(pc.read(956), 9);
    pc.write(634, 0xFF);
    EXPECT_EQ(pc.read(632), 255);
    EXPECT_EQ(pc.read(956), 9);
    // 956 is a plain SPP port: bit 5 is kept, but its lines stay driven.
    pc.write(958, 0xFF);
    EXPECT_EQ(pc.read(958), 255);
    EXPECT_EQ(pc.read(956), 9);
}

TEST(SimulatedPc, GamePortAxisTimersRunOutOnTheClock) {
    ManualClock time;
    SimulatedPc pc(time.clock());
    // A joystick at rest: buttons up, timers not running.
    for (int port = SimulatedPc::kGamePortFirst; port <= SimulatedPc::kGamePortLast; ++port)
        EXPECT_EQ(pc.read(static_cast<std::uint16_t>(port)), 240) << port;

    pc.write(513, 0);
    EXPECT_EQ(pc.read(513), 255);
    EXPECT_EQ(pc.read(519), 255);
    time.now += SimulatedPc::kAxisTimerRun - 1ns;
    EXPECT_EQ(pc.read(512), 255);
    time.now += 1ns;
    EXPECT_EQ(pc.read(513), 240);
    EXPECT_EQ(pc.read(513), 240);

    // A new write starts them again, from its own moment.
    pc.write(517, 0xAA);
    time.now += SimulatedPc::kAxisTimerRun / 2;
    pc.write(513, 0);
    time.now += SimulatedPc::kAxisTimerRun * 3 / 4;
    EXPECT_EQ(pc.read(513), 255);
    time.now += SimulatedPc::kAxisTimerRun;
    EXPECT_EQ(pc.read(513), 240);

    // Next to the game port nothing answers, and a write there starts nothing.
    pc.write(520, 0);
    pc.write(511, 0);
    EXPECT_EQ(pc.read(513), 240);
}

TEST(SimulatedPc, GamePortTimersUseTheRealClockByDefault) {
    SimulatedPc pc;
    pc.write(513, 0);
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(pc.read(513), 240);
}

TEST(SimulatedPc, EveryOtherAddressIsAFloatingBus) {
    SimulatedPc pc;
    for (const int port : {0, 1, 511, 520, 521, 631, 635, 887, 891, 955, 959, 1023, 65535}) {
        const auto address = static_cast<std::uint16_t>(port);
        EXPECT_EQ(pc.read(address), 255) << port;
        pc.write(address, 0);
        EXPECT_EQ(pc.read(address), 255) << port;
    }
    // Writes there leave the real registers alone.
    EXPECT_EQ(pc.read(888), 0);
    EXPECT_EQ(pc.read(890), 192);
    EXPECT_NE(pc.describe().find("--simulate"), std::string::npos);
}

TEST(SimulatedPc, WriteThenReadBackThroughThePortLayer) {
    auto pc = std::make_shared<SimulatedPc>();
    SelectPortBackend(SharedBackend(pc));
    DlPortWritePortUchar(888, 85);
    EXPECT_EQ(DlPortReadPortUchar(888), 85);
    DlPortWritePortUchar(890, 32);
    EXPECT_EQ(DlPortReadPortUchar(888), 255);
    DlPortWritePortUchar(890, 0);
    EXPECT_EQ(DlPortReadPortUchar(888), 85);
    SelectPortBackend({});
}

TEST(SimulatedPc, TheControlLoopPlugJoinsTheControlPinsAndD0ToTheStatusInputs) {
    SimulatedPc pc;
    pc.insertPlug(LoopbackPlug::Control);
    // Control 0: strobe, auto feed and select in high (inverted lines), init
    // low; D0 low. Select and paper end high, ack and error low, busy's pin
    // high reading 0: 0011 0111.
    EXPECT_EQ(pc.read(889), 0b0011'0111);
    // Control 15 turns every one of them over: busy's pin low reads 1.
    pc.write(890, 15);
    EXPECT_EQ(pc.read(889), 0b1100'0111);
    pc.write(888, 1);
    EXPECT_EQ(pc.read(889), 0b1100'1111);
    // The other ports have nothing attached.
    EXPECT_EQ(pc.read(633), 127);

    // A broken wire leaves its input pulled high; other wires still work.
    EXPECT_FALSE(pc.breakWire(2, 13));
    EXPECT_TRUE(pc.breakWire(12, 14));
    EXPECT_EQ(pc.read(889), 0b1110'1111);
}

TEST(SimulatedPc, TheDataLoopPlugJoinsD0ToD4ToTheStatusInputs) {
    SimulatedPc pc;
    pc.insertPlug(LoopbackPlug::Data);
    // D0 to error (bit 3), D1 to select (4), D2 to paper end (5), D3 to ack
    // (6), D4 to busy (7, read inverted).
    EXPECT_EQ(pc.read(889), 0b1000'0111);
    pc.write(888, 0b0000'0001);
    EXPECT_EQ(pc.read(889), 0b1000'1111);
    pc.write(888, 0b0000'1010);
    EXPECT_EQ(pc.read(889), 0b1101'0111);
    pc.write(888, 0b1111'0000);
    EXPECT_EQ(pc.read(889), 0b0000'0111);
    // Data lines turned to input drive nothing: every input pulled high,
    // and the lines read 255 as without a plug.
    pc.write(888, 0);
    pc.write(890, 32);
    EXPECT_EQ(pc.read(889), 127);
    EXPECT_EQ(pc.read(888), 255);
}

TEST(SimulatedPc, EachAxisTimerRunsForItsStickPosition) {
    struct Case {
        double x, y;                        // joystick A, per cent of its travel
        std::array<std::int64_t, 4> fallNs; // A X, A Y, B X, B Y
    };
    for (const Case& c : {Case{0, 100, {24'200, 1'124'200, 574'200, 574'200}},
                          Case{25, 75, {299'200, 849'200, 574'200, 574'200}}}) {
        for (int axis = 0; axis < 4; ++axis) {
            for (const std::int64_t at : {c.fallNs[axis] - 1, c.fallNs[axis]}) {
                ManualClock time;
                SimulatedPc pc(time.clock());
                pc.setJoystickA(c.x, c.y);
                pc.write(513, 0);
                time.now += std::chrono::nanoseconds(at);
                EXPECT_EQ(pc.read(513) >> axis & 1, at < c.fallNs[axis] ? 1 : 0)
                    << c.x << "," << c.y << " axis " << axis << " at " << at;
            }
        }
    }
}

TEST(SimulatedPc, APrinterAnswersEachStrobeWithBusyAndAnAckPulse) {
    ManualClock time;
    SimulatedPc pc(time.clock());
    pc.insertPlug(LoopbackPlug::Control);
    pc.attachPrinter();
    EXPECT_EQ(pc.read(889), 0b1101'1111); // ready: not busy, Ack high, selected, paper
    pc.write(888, 'A');
    pc.write(890, 1);
    const auto strobe = time.now;
    // Busy's pin high reads bit 7 as 0; Ack low is bit 6 at 0.
    for (const auto& [after, status] :
         std::initializer_list<std::pair<std::chrono::nanoseconds, int>>{
             {0ns, 0b0101'1111}, {4us, 0b0001'1111}, {9us, 0b0101'1111}, {12us, 0b1101'1111}}) {
        time.now = strobe + after;
        EXPECT_EQ(pc.read(889), status) << after.count();
    }
    // A strobe held on takes no second byte; one while busy is let pass.
    pc.write(888, 'X');
    pc.write(890, 1);
    pc.write(890, 0);
    pc.write(888, 'B');
    pc.write(890, 1);
    pc.write(890, 0);
    pc.write(888, 'C');
    time.now += 5us;
    pc.write(890, 1);
    EXPECT_EQ(pc.printedBytes(), (std::vector<std::uint8_t>{'A', 'B'}));
    EXPECT_EQ(pc.read(633), 127); // the other ports have nothing attached
}
