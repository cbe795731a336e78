// SPDX-License-Identifier: MIT
// --loopback's values as typed, and its rounds counted on the simulated PC
// with a clock the test drives.
#include "cli/LoopbackCommand.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace portprov {
namespace {

TEST(LoopbackRequestTest, ReadsCountsAndFaultsAsTyped) {
    const struct {
        const char* text;
        std::optional<std::uint64_t> count;
    } counts[] = {{"0", 0},   {"200", 200}, {"", {}},    {"-1", {}},
                  {"+3", {}}, {"3x", {}},   {"2.5", {}}, {"18446744073709551616", {}}};
    for (const auto& row : counts) {
        const auto read = ReadRepeatCount(row.text);
        const auto* count = std::get_if<std::uint64_t>(&read);
        EXPECT_EQ(count ? std::optional(*count) : std::nullopt, row.count) << row.text;
    }
    using K = PinFault::Kind;
    const struct {
        const char* text;
        std::optional<PinFault> fault;
    } faults[] = {
        {"15:stuck-low", PinFault{15, K::StuckLow, 0}},
        {"11:stuck-high", PinFault{11, K::StuckHigh, 0}},
        {"10:drop:0,25", PinFault{10, K::Drop, 0.25}},
        {"13:drop:1", PinFault{13, K::Drop, 1}},
        {"14:stuck-low", {}}, // an output
        {"15:drop:1.5", {}},
        {"15:drop:-0.1", {}},
        {"15:drop:", {}},
        {"15:drop:0.1x", {}},
        {"15", {}},
        {"x:stuck-low", {}},
        {"15:stuck", {}},
    };
    for (const auto& row : faults) {
        const auto read = ReadPinFault(row.text);
        const auto* fault = std::get_if<PinFault>(&read);
        ASSERT_EQ(fault != nullptr, row.fault.has_value()) << row.text;
        if (fault) {
            EXPECT_EQ(fault->pin, row.fault->pin) << row.text;
            EXPECT_EQ(fault->kind, row.fault->kind) << row.text;
            EXPECT_DOUBLE_EQ(fault->share, row.fault->share) << row.text;
        }
    }
}

class LoopbackCommandTest : public testing::Test {
protected:
    void Use(std::optional<PinFault> fault) {
        SelectPortBackend([fault] {
            auto pc = std::make_unique<SimulatedPc>();
            pc->insertPlug(LoopbackPlug::Data);
            if (fault)
                pc->addFault(*fault);
            return pc;
        });
    }
    void TearDown() override { SelectPortBackend({}); }
    // A millisecond a reading.
    std::function<std::chrono::nanoseconds()> clock = [t = std::chrono::nanoseconds{}]() mutable {
        return t += std::chrono::milliseconds(1);
    };
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(LoopbackCommandTest, CountsEachWiresFailedRoundsAndTheFirst) {
    Use(PinFault{15, PinFault::Kind::Drop, 0.5});
    EXPECT_EQ(RunLoopbackCommand({LoopbackPlug::Data, 888, 4}, out, err, clock), 3);
    // Drawn half the time, pin 15 reads wrong in some read of each round.
    EXPECT_EQ(out.str(),
              "2–15 (D0 → Fel): fel i 4 av 4 omgångar, första i omgång 1 efter 0,001000 s "
              "(oregelbunden)\n"
              "3–13 (D1 → Select): fel i 0 av 4 omgångar\n"
              "4–12 (D2 → Papper slut): fel i 0 av 4 omgångar\n"
              "5–10 (D3 → Ack): fel i 0 av 4 omgångar\n"
              "6–11 (D4 → Busy): fel i 0 av 4 omgångar\n"
              "4 omgångar, 4 med fel\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(LoopbackCommandTest, AFailedAccessEndsWithStatusOne) {
    Use(std::nullopt);
    EXPECT_EQ(RunLoopbackCommand({LoopbackPlug::Data, 65535, 3}, out, err, clock), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str(), "");
}

} // namespace
} // namespace portprov
