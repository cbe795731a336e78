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
#include <vector>

namespace portprov {
namespace {

using namespace std::chrono_literals;

// The simulated PC's time moves a microsecond at each look at its clock, so
// that the printer's 5 µs Ack pulse is seen however busy the machine is.
std::shared_ptr<SimulatedPc> Pc(bool printer) {
    auto now = std::make_shared<std::chrono::nanoseconds>();
    auto pc = std::make_shared<SimulatedPc>([now] { return *now += 1us; });
    if (printer)
        pc->attachPrinter();
    SelectPortBackend(SharedBackend(pc));
    // What the user left on the port: a byte in the latch, Init and Select
    // In set, the data lines turned to input.
    pc->write(888, 0x5A);
    pc->write(890, 0x2C);
    return pc;
}

void ExpectPutBack(SimulatedPc& pc) {
    EXPECT_EQ(pc.read(890) & 0x3F, 0x2C);
    pc.write(890, 0x0C); // the latch reads back once the lines are driven
    EXPECT_EQ(pc.read(888), 0x5A);
}

TEST(TestLine, EveryByteReachesThePrinterInOrderAndThePortIsPutBack) {
    auto pc = Pc(true);
    const std::string line = "Portprov testrad 2026-12-07 17:30\r\n\xE5";
    EXPECT_EQ(PrintLine(888, line), line.size());
    EXPECT_EQ(std::string(pc->printedBytes().begin(), pc->printedBytes().end()), line);
    ExpectPutBack(*pc);
}

TEST(TestLine, NoPrinterFailsAfterTheBoundedWaitNamingTheByteAndPutsThePortBack) {
    auto pc = Pc(false);
    const auto start = std::chrono::steady_clock::now();
    try {
        PrintLine(888, "AB", 50ms);
        FAIL() << "no failure";
    } catch (const PortError& error) {
        EXPECT_EQ(error.kind(), PortErrorKind::FailedAccess);
        // Nothing is strobed into a printer that is not ready.
        EXPECT_NE(std::string(error.what()).find("före byte 1 av 2 (65 'A'); 0 byte gick fram"),
                  std::string::npos)
            << error.what();
        EXPECT_NE(std::string(error.what()).find("50 ms"), std::string::npos) << error.what();
        // Nothing attached: the Busy pin floats high, which the status
        // register reads as 0 in bit 7.
        EXPECT_NE(std::string(error.what()).find("Busy (stift 11) förblev hög i 50 ms före"),
                  std::string::npos)
            << error.what();
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 50ms);
    EXPECT_LT(took, 900ms);
    EXPECT_TRUE(pc->printedBytes().empty());
    ExpectPutBack(*pc);
}

// The control plug joins Select In (pin 17) to Busy and Init (pin 16) to Ack:
// Busy reads low, ready, but no byte is ever acknowledged.
TEST(TestLine, AControlPlugHoldsBusyLowButAcknowledgesNothing) {
    for (const auto& [control, said] : std::vector<std::pair<int, std::string>>{
             {0x2C, "ingen kvittenspuls på Ack (stift 10) i 50 ms efter byte 1 av 2 (65 'A'); "
                    "0 byte gick fram"},
             {0x28, "Ack (stift 10) förblev låg i 50 ms efter byte 1 av 2"}}) {
        auto pc = Pc(false);
        pc->insertPlug(LoopbackPlug::Control);
        pc->write(890, static_cast<std::uint8_t>(control | 0x20));
        try {
            PrintLine(888, "AB", 50ms);
            ADD_FAILURE() << "no failure: " << said;
        } catch (const PortError& error) {
            EXPECT_NE(std::string(error.what()).find(said), std::string::npos) << error.what();
        }
        EXPECT_TRUE(pc->printedBytes().empty());
    }
}

} // namespace
} // namespace portprov
