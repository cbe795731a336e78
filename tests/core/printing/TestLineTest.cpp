// SPDX-License-Identifier: MIT
#include "printing/TestLine.h"

#include "connector/LoopbackPlug.h"
#include "ports/PortError.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace portprov {
namespace {

using namespace std::chrono_literals;

// What is in the port at 888.
enum class Attached { Nothing, Printer, ControlPlug };

// The simulated PC's time moves a microsecond at each look at its clock, so
// that the printer's 5 µs Ack pulse is seen however busy the machine is.
std::shared_ptr<SimulatedPc> Pc(Attached attached, std::uint8_t control = 0x2C) {
    auto now = std::make_shared<std::chrono::nanoseconds>();
    auto pc = std::make_shared<SimulatedPc>([now] { return *now += 1us; });
    if (attached == Attached::Printer)
        pc->attachPrinter();
    if (attached == Attached::ControlPlug)
        pc->insertPlug(LoopbackPlug::Control);
    SelectPortBackend(SharedBackend(pc));
    // What the user left on the port: a byte in the latch, the control lines
    // (Init and Select In set), the data lines turned to input.
    pc->write(888, 0x5A);
    pc->write(890, static_cast<std::uint8_t>(control | 0x20));
    return pc;
}

void ExpectPutBack(SimulatedPc& pc, std::uint8_t control = 0x2C) {
    EXPECT_EQ(pc.read(890) & 0x3F, control | 0x20);
    pc.write(890, 0x0C); // the latch reads back once the lines are driven
    EXPECT_EQ(pc.read(888), 0x5A);
}

TEST(TestLine, EveryByteReachesThePrinterInOrderAndThePortIsPutBack) {
    auto pc = Pc(Attached::Printer);
    const std::string line = "Portprov testrad 2026-12-07 17:30\r\n\xE5";
    EXPECT_EQ(PrintLine(888, line), line.size());
    EXPECT_EQ(std::string(pc->printedBytes().begin(), pc->printedBytes().end()), line);
    ExpectPutBack(*pc);
}

TEST(TestLine, APrinterThatDoesNotAnswerFailsAfterTheBoundedWaitNamingThePin) {
    // The control plug joins Select In (pin 17) to Busy and Init (pin 16) to
    // Ack: Busy reads low, ready, but no byte is ever acknowledged.
    const struct {
        Attached attached;
        std::uint8_t control;
        const char* said;
    } cases[] = {
        // Nothing attached: the Busy pin floats high, and nothing is strobed
        // into a printer that is not ready.
        {Attached::Nothing, 0x2C, "Busy (stift 11) förblev hög i 50 ms före byte 1 av 2 (65 'A'); "
                                  "0 byte gick fram"},
        {Attached::ControlPlug, 0x2C, "ingen kvittenspuls på Ack (stift 10) i 50 ms efter byte 1 "
                                      "av 2 (65 'A'); 0 byte gick fram"},
        {Attached::ControlPlug, 0x08, "Ack (stift 10) förblev låg i 50 ms efter byte 1"},
    };
    for (const auto& c : cases) {
        auto pc = Pc(c.attached, c.control);
        const auto start = std::chrono::steady_clock::now();
        try {
            PrintLine(888, "AB", 50ms);
            ADD_FAILURE() << "no failure: " << c.said;
        } catch (const PortError& error) {
            EXPECT_EQ(error.kind(), PortErrorKind::FailedAccess);
            EXPECT_NE(std::string(error.what()).find(c.said), std::string::npos) << error.what();
        }
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, 50ms);
        EXPECT_LT(took, 900ms);
        EXPECT_TRUE(pc->printedBytes().empty());
        ExpectPutBack(*pc, c.control);
    }
}

} // namespace
} // namespace portprov
