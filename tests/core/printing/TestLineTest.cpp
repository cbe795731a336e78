// SPDX-License-Identifier: MIT
#include "printing/TestLine.h"

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

std::shared_ptr<SimulatedPc> Pc(bool printer) {
    auto pc = std::make_shared<SimulatedPc>();
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

} // namespace
} // namespace portprov
