// SPDX-License-Identifier: MIT
#include "LinePrinter.h"

#include "RecordingPorts.h"
#include "ports/PortIo.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace portprov::hardwaretest {
namespace {

using Call = RecordingPorts::Call;
using Kind = Call::Kind;

constexpr std::uint16_t kData = 888;
constexpr std::uint16_t kStatus = 889;
constexpr std::uint16_t kControl = 890;

// Status with a printer that is ready: not busy (bit 7 set), selected, no error.
constexpr std::uint8_t kReady = 216;
// Status while the printer is busy taking a byte.
constexpr std::uint8_t kBusy = 88;
// Status with nothing attached: every input pulled high, so Busy reads busy.
constexpr std::uint8_t kNothingAttached = 127;

class LinePrinterTest : public ::testing::Test {
protected:
    void SetUp() override { SelectPortBackend(SharedBackend(ports)); }
    void TearDown() override { SelectPortBackend({}); }

    std::vector<Call> writesTo(std::uint16_t port) const {
        std::vector<Call> found;
        for (const Call& call : ports->calls()) {
            if (call.kind == Kind::Write && call.port == port) {
                found.push_back(call);
            }
        }
        return found;
    }

    std::shared_ptr<RecordingPorts> ports = std::make_shared<RecordingPorts>();
};

// Each byte: wait for not busy, data on the lines, then strobe asserted
// (control bit 0 set, pin 1 low) and released, with the printer selected and
// out of reset throughout (control 12). Bytes above 127 go out unchanged.
TEST_F(LinePrinterTest, PutsEachByteOnTheLinesBeforeItsStrobePulse) {
    ports->setIdleValue(kStatus, kReady);

    const PrintOutcome outcome = PrintThroughPort(kData, "H\xC3\xA5");

    EXPECT_TRUE(outcome.printerReady);
    EXPECT_EQ(outcome.bytesSent, 3u);
    std::vector<Call> expected{{Kind::Write, kControl, 12}};
    for (const std::uint8_t byte : std::vector<std::uint8_t>{0x48, 0xC3, 0xA5}) {
        expected.push_back({Kind::Read, kStatus, kReady});
        expected.push_back({Kind::Write, kData, byte});
        expected.push_back({Kind::Write, kControl, 13});
        expected.push_back({Kind::Write, kControl, 12});
    }
    EXPECT_EQ(ports->calls(), expected);
}

TEST_F(LinePrinterTest, WaitsWhileThePrinterIsBusy) {
    ports->setIdleValue(kStatus, kReady);
    ports->scriptRead(kStatus, kBusy);
    ports->scriptRead(kStatus, kBusy);

    const PrintOutcome outcome = PrintThroughPort(kData, "A");

    EXPECT_TRUE(outcome.printerReady);
    const std::vector<Call> expected{
        {Kind::Write, kControl, 12},   {Kind::Read, kStatus, kBusy}, {Kind::Read, kStatus, kBusy},
        {Kind::Read, kStatus, kReady}, {Kind::Write, kData, 'A'},    {Kind::Write, kControl, 13},
        {Kind::Write, kControl, 12},
    };
    EXPECT_EQ(ports->calls(), expected);
}

// A port with nothing attached reads busy for ever: printing gives up after
// the polls it was allowed, puts nothing on the data lines and never strobes.
TEST_F(LinePrinterTest, GivesUpWhenThePrinterNeverGetsReady) {
    ports->setIdleValue(kStatus, kNothingAttached);

    const PrintOutcome outcome = PrintThroughPort(kData, "AB", 50);

    EXPECT_FALSE(outcome.printerReady);
    EXPECT_EQ(outcome.bytesSent, 0u);
    EXPECT_TRUE(writesTo(kData).empty());
    EXPECT_EQ(writesTo(kControl), (std::vector<Call>{{Kind::Write, kControl, 12}}));
    EXPECT_EQ(ports->calls().size(), 51u);
}

TEST_F(LinePrinterTest, CountsTheBytesSentBeforeThePrinterStalled) {
    ports->setIdleValue(kStatus, kBusy);
    ports->scriptRead(kStatus, kReady);

    const PrintOutcome outcome = PrintThroughPort(kData, "AB", 10);

    EXPECT_FALSE(outcome.printerReady);
    EXPECT_EQ(outcome.bytesSent, 1u);
    EXPECT_EQ(writesTo(kData), (std::vector<Call>{{Kind::Write, kData, 'A'}}));
}

TEST_F(LinePrinterTest, PrintsThroughAnyParallelPortBase) {
    ports->setIdleValue(633, kReady);

    const PrintOutcome outcome = PrintThroughPort(632, "x");

    EXPECT_EQ(outcome.bytesSent, 1u);
    EXPECT_TRUE(writesTo(kData).empty());
    const std::vector<Call> expected{
        {Kind::Write, 634, 12}, {Kind::Read, 633, kReady}, {Kind::Write, 632, 'x'},
        {Kind::Write, 634, 13}, {Kind::Write, 634, 12},
    };
    EXPECT_EQ(ports->calls(), expected);
}

} // namespace
} // namespace portprov::hardwaretest
