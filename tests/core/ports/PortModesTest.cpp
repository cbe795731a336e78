// SPDX-License-Identifier: MIT
#include "ports/PortModes.h"
#include "cli/InfoCommand.h"
#include "ports/PortInfo.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>

using namespace portprov;

namespace {

constexpr auto Y = ModeAnswer::Yes;
constexpr auto N = ModeAnswer::No;
constexpr auto U = ModeAnswer::Unknown;

// The simulated PC, with accesses refused: the nth (counted from 0), or
// every one from the nth on, or each one `refuses` picks; and maybe a
// register that reads one value whatever is written.
class RefusingPc : public SimulatedPc {
public:
    int accesses = 0;
    int failAt = -1;
    bool failOn = false;
    std::function<bool(std::uint16_t)> refuses;
    std::optional<std::pair<std::uint16_t, std::uint8_t>> fixed;

    std::uint8_t read(std::uint16_t port) override {
        check(port);
        if (fixed && fixed->first == port)
            return fixed->second;
        return SimulatedPc::read(port);
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        check(port);
        SimulatedPc::write(port, value);
    }

private:
    void check(std::uint16_t port) {
        const int n = accesses++;
        if (n == failAt || (failOn && failAt >= 0 && n > failAt))
            throw PortError(PortErrorKind::FailedAccess, "fel");
        if (refuses && refuses(port))
            throw PortError(PortErrorKind::NotCovered, "når inte");
    }
};

// The simulated PC with D0 of the port at `data` stuck low or high: its
// data register reads the line so whatever the latch holds.
struct StuckD0Pc : SimulatedPc {
    std::uint16_t data;
    bool high;
    StuckD0Pc(std::uint16_t d, bool h) : data(d), high(h) {}
    std::uint8_t read(std::uint16_t port) override {
        const std::uint8_t value = SimulatedPc::read(port);
        return port != data ? value : static_cast<std::uint8_t>(high ? value | 1 : value & ~1);
    }
};

struct PortsInUse {
    explicit PortsInUse(std::shared_ptr<PortBackend> pc) { SelectPortBackend(SharedBackend(pc)); }
    ~PortsInUse() { SelectPortBackend({}); }
};

// The registers a probe must put back: data latch, control, ECR (its
// address reads the floating bus on a port without one).
struct Registers {
    std::uint8_t control, latch, ecr;
    bool operator==(const Registers&) const = default;
};
// Reads the latch through control without bit 5, then puts control back.
Registers RegistersOf(SimulatedPc& pc, std::uint16_t base) {
    const auto control = static_cast<std::uint16_t>(base + 2);
    const std::uint8_t before = pc.read(control);
    pc.write(control, before & ~0x20);
    const Registers found{before, pc.read(base), pc.read(static_cast<std::uint16_t>(base + 0x402))};
    pc.write(control, before);
    return found;
}

// A port in use: a byte on the latch, control with the data lines as input, an ECR mode set.
void PutInUse(SimulatedPc& pc, std::uint16_t base) {
    pc.write(base, 0x5A);
    pc.write(static_cast<std::uint16_t>(base + 2), 0x2B);
    pc.write(static_cast<std::uint16_t>(base + 0x402), 0x74);
}

} // namespace

TEST(PortModes, EachSimulatedKindAndNoPortAtAll) {
    struct Case {
        std::uint16_t base;
        std::array<ModeAnswer, 4> answers; // SPP, PS/2, EPP, ECP
    };
    for (const Case& c : {Case{888, {Y, Y, Y, Y}}, Case{632, {Y, Y, N, N}}, Case{956, {Y, N, N, N}},
                          Case{1000, {N, N, N, N}}, Case{888, {Y, Y, Y, N}}}) {
        SCOPED_TRACE(c.base);
        auto pc = std::make_shared<RefusingPc>();
        const PortsInUse use(pc);
        PutInUse(*pc, c.base);
        if (c.base == 888 && c.answers[3] == N)
            pc->fixed = {1914, 0x01}; // reads as an empty FIFO's ECR, but takes no mode
        const Registers before = RegistersOf(*pc, c.base);
        const PortModes modes = ProbePortModes(c.base);
        EXPECT_EQ(modes.answers, c.answers);
        EXPECT_EQ(modes.present(), c.answers[0] == Y);
        EXPECT_EQ(RegistersOf(*pc, c.base), before);
    }
}

TEST(PortModes, AFailedAccessAnywhereStillPutsThePortBack) {
    // Every access of a whole probe of 888 fails once in turn. The last three
    // are the writes that put ECR, latch and control back: then the message
    // names the values they should have.
    auto counter = std::make_shared<RefusingPc>();
    {
        const PortsInUse use(counter);
        PutInUse(*counter, 888);
        counter->accesses = 0;
        ProbePortModes(888);
    }
    const int total = counter->accesses;
    for (int failAt = 0; failAt < total; ++failAt) {
        SCOPED_TRACE(failAt);
        auto pc = std::make_shared<RefusingPc>();
        const PortsInUse use(pc);
        PutInUse(*pc, 888);
        const Registers before = RegistersOf(*pc, 888);
        pc->accesses = 0;
        pc->failAt = failAt;
        try {
            ProbePortModes(888);
            ADD_FAILURE() << "no failure reported";
        } catch (const PortError& error) {
            EXPECT_EQ(error.kind(), PortErrorKind::FailedAccess);
            const bool named = std::string(error.what())
                                   .find("1914 ska vara 117, 888 ska vara "
                                         "90 och 890 ska vara 43") != std::string::npos;
            EXPECT_EQ(named, failAt >= total - 3) << error.what();
            if (!named) {
                EXPECT_EQ(RegistersOf(*pc, 888), before);
            }
        }
    }
    // A port that stops answering midway: the values it should have.
    auto pc = std::make_shared<RefusingPc>();
    const PortsInUse use(pc);
    PutInUse(*pc, 888);
    pc->failAt = pc->accesses + total / 2;
    pc->failOn = true;
    try {
        ProbePortModes(888);
        ADD_FAILURE() << "no failure reported";
    } catch (const PortError& error) {
        EXPECT_NE(std::string(error.what()).find("fel\nPorten kunde inte återställas"),
                  std::string::npos)
            << error.what();
    }
}

TEST(PortModes, AnAddressOutOfReachLeavesItsModesUnknown) {
    struct Case {
        std::function<bool(std::uint16_t)> refuses;
        std::array<ModeAnswer, 4> answers;
        std::uint16_t unreached;
    };
    // ppdev reaches the three registers only; another path none of them.
    for (const Case& c : {Case{[](std::uint16_t p) { return p > 890; }, {Y, Y, Y, U}, 1914},
                          Case{[](std::uint16_t) { return true; }, {U, U, U, U}, 890}}) {
        SCOPED_TRACE(c.unreached);
        auto pc = std::make_shared<RefusingPc>();
        const PortsInUse use(pc);
        PutInUse(*pc, 888);
        const Registers before = RegistersOf(*pc, 888);
        pc->refuses = c.refuses;
        const PortModes modes = ProbePortModes(888);
        EXPECT_EQ(modes.answers, c.answers);
        EXPECT_EQ(modes.unreached[3], c.unreached);
        pc->refuses = {};
        EXPECT_EQ(RegistersOf(*pc, 888), before);
    }
}

TEST(PortModes, InfoLinesTellTheKernelsAccountBesideTheProbes) {
    PortModes ppdev{888, {Y, Y, N, U}, {{std::nullopt, std::nullopt, std::nullopt, 1914}}};
    PortModes none{632, {N, N, N, N}, {}};
    PortModes unreachable{956, {U, U, U, U}, {{958, 958, 958, 958}}};
    const KernelPortAccount account{"parport0", 888, {true, true, true, true},
                                    {},         3,   {"MFG:ACME;"}};
    struct Case {
        const PortModes& modes;
        const KernelPortAccount* account;
        std::string lines;
    };
    for (const Case& c : {
             Case{ppdev, &account,
                  "888 (0x378): SPP, PS/2 — ingen irq, dma 3\n"
                  "  EPP: kärnan ja, Portprov nej\n"
                  "  ECP: kärnan ja, Portprov okänt (portåtkomsten når inte adress 1914)\n"
                  "  Apparat på porten (IEEE 1284): MFG:ACME;\n"},
             Case{ppdev, nullptr,
                  "888 (0x378): SPP, PS/2\n  ECP: okänt, portåtkomsten når inte adress 1914\n"},
             Case{none, nullptr, "632 (0x278): ingen port\n"},
             Case{unreachable, nullptr,
                  "956 (0x3BC): okänt\n"
                  "  SPP, PS/2, EPP, ECP: okänt, portåtkomsten når inte adress 958\n"},
         }) {
        EXPECT_EQ(InfoLines(c.modes, c.account), c.lines);
    }
}

TEST(PortModes, InfoStopsAtTheFirstFailedAccess) {
    auto pc = std::make_shared<RefusingPc>();
    const PortsInUse use(pc);
    pc->failAt = 0;
    pc->failOn = true;
    std::ostringstream out, err;
    const std::array<std::uint16_t, 2> bases{888, 632};
    EXPECT_EQ(RunInfoCommand(bases, {}, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "fel\n");
}

TEST(PortModes, ALatchWithD0StuckIsNoPort) {
    for (const bool high : {false, true}) { // each fails one of the two patterns
        const PortsInUse use(std::make_shared<StuckD0Pc>(956, high));
        EXPECT_EQ(ProbePortModes(956).answers, (std::array{N, N, N, N})) << high;
    }
}
