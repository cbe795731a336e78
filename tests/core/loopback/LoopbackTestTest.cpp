// SPDX-License-Identifier: MIT
// The loopback test on the simulated PC's plugs, whole and with faults.
#include "loopback/LoopbackTest.h"
#include "RecordingPorts.h"
#include "SequenceHolds.h"
#include "loopback/LoopbackTexts.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

using namespace portprov;

namespace {

// The simulated PC with a fault between the plug and the status register:
// `fault` may change the status byte read; after `failAfter` accesses, the
// next one throws, once (the port glitches). A write for which writeFails
// holds throws too; afterStatusRead runs after each read of the status.
class FaultyPc : public SimulatedPc, public SequenceHolds {
public:
    std::function<std::uint8_t(std::uint8_t)> fault = [](std::uint8_t status) { return status; };
    int failAfter = -1;
    int statusReads = 0;
    std::function<bool(std::uint16_t)> writeFails = [](std::uint16_t) { return false; };
    std::function<void()> afterStatusRead = [] {};

    std::uint8_t read(std::uint16_t port) override {
        countAccess();
        const std::uint8_t value = SimulatedPc::read(port);
        if (port != 889)
            return value;
        ++statusReads;
        afterStatusRead();
        return fault(value);
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        countAccess();
        if (writeFails(port))
            throw PortError(PortErrorKind::FailedAccess, "Porten svarar inte.");
        SimulatedPc::write(port, value);
    }

    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override { return hold(port); }

private:
    void countAccess() {
        noteAccess();
        if (failAfter < 0)
            return;
        if (failAfter-- == 0)
            throw PortError(PortErrorKind::FailedAccess, "Porten svarar inte.");
    }
};

struct LoopbackTestFixture : ::testing::Test {
    std::shared_ptr<FaultyPc> pc = std::make_shared<FaultyPc>();
    void SetUp() override { SelectPortBackend(SharedBackend(pc)); }
};

std::vector<WireResult> Results(const LoopbackReport& report) {
    std::vector<WireResult> results;
    for (const WireReport& wire : report.wires)
        results.push_back(wire.result);
    return results;
}

constexpr auto W = WireResult::Works;
constexpr auto H = WireResult::StuckHigh;

} // namespace

TEST_F(LoopbackTestFixture, EachPlugPassesItsOwnTestAndNoPlugFailsEveryWire) {
    LoopbackReport report = RunLoopbackTest(888, LoopbackPlug::Control);
    EXPECT_EQ(Results(report), std::vector<WireResult>(5, H));
    EXPECT_EQ(VerdictText(report),
              "Underkänt: ingen ledning fungerar. Sitter slingkontakten i porten?");
    // No other program may come between the test's accesses.
    EXPECT_EQ(pc->holds, std::vector<std::uint16_t>{888});
    EXPECT_EQ(pc->unheldAccesses, 0);

    for (const LoopbackPlug plug : {LoopbackPlug::Control, LoopbackPlug::Data}) {
        auto plugged = std::make_shared<SimulatedPc>();
        plugged->insertPlug(plug);
        SelectPortBackend(SharedBackend(plugged));
        report = RunLoopbackTest(888, plug);
        EXPECT_TRUE(report.passed());
        EXPECT_EQ(Results(report), std::vector<WireResult>(5, W));
        EXPECT_EQ(VerdictText(report), "Godkänt: alla 5 ledningarna fungerar.");
        // The plug sits in the first port only.
        EXPECT_EQ(Results(RunLoopbackTest(632, plug)), std::vector<WireResult>(5, H));
    }
}

TEST_F(LoopbackTestFixture, ABrokenWireIsNamedAndTheOthersStillWork) {
    for (const LoopbackPlug plug : {LoopbackPlug::Control, LoopbackPlug::Data}) {
        const auto wiring = WiringOf(plug);
        for (std::size_t broken = 0; broken < wiring.size(); ++broken) {
            auto plugged = std::make_shared<SimulatedPc>();
            plugged->insertPlug(plug);
            ASSERT_TRUE(plugged->breakWire(wiring[broken].inputPin, wiring[broken].outputPin));
            SelectPortBackend(SharedBackend(plugged));
            const LoopbackReport report = RunLoopbackTest(888, plug);
            std::vector<WireResult> expected(5, W);
            expected[broken] = H;
            SCOPED_TRACE(WirePinsText(wiring[broken]));
            EXPECT_EQ(Results(report), expected);
            EXPECT_EQ(VerdictText(report), "Underkänt: 1 av 5 ledningar fungerar inte (stift " +
                                               WirePinsText(wiring[broken]) + ").");
        }
    }
}

TEST_F(LoopbackTestFixture, StuckLowCrossedAndShortedWiresAreToldApart) {
    pc->insertPlug(LoopbackPlug::Control);
    // Ack (bit 6) shorted to ground; select (bit 4) and paper end (bit 5)
    // crossed; error (bit 3) sees D0 and busy's pin shorted together, the
    // low one winning (busy reads inverted: bit 7 set is a low pin).
    pc->fault = [](std::uint8_t status) {
        const bool select = (status >> 4) & 1;
        const bool paperEnd = (status >> 5) & 1;
        const bool error = (status >> 3) & 1;
        const bool busyPin = !((status >> 7) & 1);
        auto out = static_cast<std::uint8_t>(status & ~0b0111'1000);
        out |= static_cast<std::uint8_t>(paperEnd << 4 | select << 5 | (error && busyPin) << 3);
        return out;
    };
    const LoopbackReport report = RunLoopbackTest(888, LoopbackPlug::Control);
    const std::vector<WireResult> expected{WireResult::Joined, WireResult::Joined,
                                           WireResult::Joined, WireResult::StuckLow, W};
    EXPECT_EQ(Results(report), expected);
    EXPECT_EQ(WireResultText(report, report.wires[0]), "ihopkopplad med stift 14–12 (Autofeed)");
    EXPECT_EQ(WireResultText(report, report.wires[1]), "ihopkopplad med stift 17–11 (Select In)");
    EXPECT_EQ(WireResultText(report, report.wires[2]), "ihopkopplad med stift 1–13 (Strobe)");
    EXPECT_EQ(WireResultText(report, report.wires[3]), "fastnat låg");
    EXPECT_EQ(WireResultText(report, report.wires[4]), "fungerar");
    EXPECT_EQ(VerdictText(report),
              "Underkänt: 4 av 5 ledningar fungerar inte (stift 1–13, 2–15, 14–12, 16–10).");
}

TEST_F(LoopbackTestFixture, TheRegistersAreRestoredAfterTheTestAndAfterAFailure) {
    pc->insertPlug(LoopbackPlug::Data);
    // The data lines set to input: the test must turn them to output to pass.
    pc->write(888, 85);
    pc->write(890, 0b0010'0100);
    EXPECT_TRUE(RunLoopbackTest(888, LoopbackPlug::Data).passed());
    EXPECT_EQ(pc->read(890), 0b1110'0100);
    EXPECT_EQ(pc->read(888), 255);
    // The latch, not the lines read while turned to input, is put back.
    pc->write(890, 0);
    EXPECT_EQ(pc->read(888), 85);

    pc->write(890, 0b0001'0100);
    pc->write(888, 85);

    // The port fails part-way, after the registers were changed.
    pc->failAfter = 20;
    EXPECT_THROW(RunLoopbackTest(888, LoopbackPlug::Data), PortError);
    EXPECT_EQ(pc->read(888), 85);
    EXPECT_EQ(pc->read(890), 0b1101'0100);
}

TEST_F(LoopbackTestFixture, AFailedRestoreStillTriesBothRegistersAndNamesTheirValues) {
    struct Case {
        int statusReads;       // the writes fail once this many status reads are done
        std::uint16_t failing; // on this port; 0: on every port
        bool dataBack, controlBack;
    };
    for (const Case c :
         {Case{32, 888, false, true}, Case{32, 890, true, false}, Case{5, 0, false, false}}) {
        SCOPED_TRACE(c.failing);
        pc = std::make_shared<FaultyPc>();
        SelectPortBackend(SharedBackend(pc));
        pc->write(888, 85);
        pc->write(890, 32);
        pc->writeFails = [&](std::uint16_t port) {
            return pc->statusReads >= c.statusReads && (c.failing == 0 || port == c.failing);
        };
        try {
            RunLoopbackTest(888, LoopbackPlug::Data);
            ADD_FAILURE() << "a port that was not put back must not end in a report";
        } catch (const PortError& error) {
            EXPECT_THAT(error.what(), ::testing::HasSubstr("Porten svarar inte."));
            EXPECT_THAT(error.what(), ::testing::HasSubstr("888 ska vara 85 och 890 ska vara 32"));
        }
        pc->writeFails = [](std::uint16_t) { return false; };
        EXPECT_EQ((pc->read(890) & 0x3F) == 32, c.controlBack);
        pc->write(890, 0);
        EXPECT_EQ(pc->read(888) == 85, c.dataBack);
    }
}

// Windows has no SIGHUP, and its console ends a program its own way.
#if !defined(_WIN32)
namespace {
// What the port's control register held when a signal was handled.
std::vector<int> gControlWhenHandled;
SimulatedPc* gSignalledPc = nullptr;
extern "C" void NoteControl(int) {
    gControlWhenHandled.push_back(gSignalledPc->SimulatedPc::read(890));
}
} // namespace

TEST_F(LoopbackTestFixture, ATerminationSignalIsHandledOnceThePortIsBack) {
    pc->insertPlug(LoopbackPlug::Control);
    gSignalledPc = pc.get();
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        gControlWhenHandled.clear();
        pc->write(890, 0b0010'0101);
        auto* previous = std::signal(signal, NoteControl);
        pc->afterStatusRead = [&] {
            if (pc->statusReads == 3)
                std::raise(signal);
        };
        pc->statusReads = 0;
        EXPECT_TRUE(RunLoopbackTest(888, LoopbackPlug::Control).passed());
        EXPECT_EQ(gControlWhenHandled, std::vector<int>{0b1110'0101});
        // The test's own handler is back.
        std::raise(signal);
        EXPECT_EQ(gControlWhenHandled.size(), 2u);
        std::signal(signal, previous);
    }
}
#endif

TEST(ClassifyWire, TwoShortedOutputsAreJoinedWhicheverWins) {
    // Wire 1's input sees wire 3's output alone, or both shorted together
    // with the low one winning, or the high one.
    for (const int rule : {0, 1, 2}) {
        std::vector<LoopbackSample> samples;
        for (unsigned outputs = 0; outputs < 32; ++outputs) {
            const bool own = (outputs >> 1) & 1, theirs = (outputs >> 3) & 1;
            const bool in = rule == 0 ? theirs : rule == 1 ? own && theirs : own || theirs;
            samples.push_back({static_cast<std::uint8_t>(outputs),
                               static_cast<std::uint8_t>((outputs & ~0b10u) | (in ? 0b10u : 0))});
        }
        LoopbackReport report;
        for (std::size_t i = 0; i < 5; ++i)
            report.wires.push_back(ClassifyWire(LoopbackPlug::Control, i, samples));
        EXPECT_EQ(report.wires[1].joinedWith, 3u) << rule;
        EXPECT_THAT(WireResultText(report, report.wires[1]),
                    ::testing::StartsWith("ihopkopplad med stift 16"));
    }
}

TEST(LoopbackTest, ABaseWhoseRegistersPass65535TouchesNoPort) {
    auto ports = std::make_shared<RecordingPorts>();
    SelectPortBackend(SharedBackend(ports));
    EXPECT_THROW(RunLoopbackTest(65534, LoopbackPlug::Control), PortError);
    EXPECT_THROW(RunLoopbackTest(-1, LoopbackPlug::Control), PortError);
    EXPECT_TRUE(ports->calls().empty());
}

TEST(LoopbackTest, TheOtherWiringIsSuggestedWhenTheFailuresAreItsOwn) {
    const std::optional<LoopbackPlug> C = LoopbackPlug::Control, D = LoopbackPlug::Data, none;
    // Plug in, wiring chosen, a broken wire's pins, the data register, the suggestion.
    struct Case {
        std::optional<LoopbackPlug> in, chosen;
        int a, b;
        std::uint8_t data;
        std::optional<LoopbackPlug> told;
    };
    // clang-format off
    const Case cases[] = {{C, C, 0, 0, 0, none}, {D, D, 0, 0, 0, none}, {C, D, 0, 0, 0, C},
                          {D, C, 0, 0, 0, D}, {D, C, 0, 0, 30, D}, {C, D, 14, 12, 0, C},
                          {C, C, 1, 13, 0, none}, {D, D, 2, 15, 30, none},
                          {none, C, 0, 0, 0, none}, {C, D, 2, 15, 0, none}};
    // clang-format on
    for (const Case& c : cases) {
        auto pc = std::make_shared<SimulatedPc>();
        if (c.in)
            pc->insertPlug(*c.in);
        EXPECT_TRUE(c.a == 0 || pc->breakWire(c.a, c.b));
        pc->write(888, c.data);
        SelectPortBackend(SharedBackend(pc));
        const LoopbackReport report = RunLoopbackTest(888, *c.chosen);
        EXPECT_EQ(WiringTheFailuresMatch(report), c.told) << PlugText(*c.chosen) << " " << c.a;
        const std::string name = c.told ? PlugText(*c.told).substr(0, 10) : "-";
        EXPECT_EQ(VerdictText(report).find("Felen stämmer med en " + name) != std::string::npos,
                  c.told.has_value());
    }
    // Inputs that follow some output are not held by the other plug.
    LoopbackReport joined{LoopbackPlug::Control, 888, {}};
    for (const WireResult result : {WireResult::Joined, W, H, H, WireResult::Erratic})
        joined.wires.push_back({WiringOf(joined.plug)[joined.wires.size()], result, std::nullopt});
    EXPECT_EQ(WiringTheFailuresMatch(joined), none);
}
