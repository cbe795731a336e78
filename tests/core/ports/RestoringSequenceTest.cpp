// SPDX-License-Identifier: MIT
#include "ports/RestoringSequence.h"
#include "ports/PortIo.h"
#include "ports/SavedRegisters.h"
#include "ports/simulated/SimulatedPc.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <string>

using namespace portprov;

namespace {

// The simulated PC, its writes refused while failWrites holds, and whether
// the port is held for a sequence.
class HeldPc : public SimulatedPc {
public:
    bool failWrites = false;
    bool held = false;

    void write(std::uint16_t port, std::uint8_t value) override {
        if (failWrites)
            throw PortError(PortErrorKind::FailedAccess, "fel");
        SimulatedPc::write(port, value);
    }
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t) override {
        struct Hold : PortHold {
            bool& held;
            explicit Hold(bool& h) : held(h) { held = true; }
            ~Hold() override { held = false; }
        };
        return std::make_unique<Hold>(held);
    }
};

struct RestoringSequence : ::testing::Test {
    std::shared_ptr<HeldPc> pc = std::make_shared<HeldPc>();
    void SetUp() override {
        SelectPortBackend(SharedBackend(pc));
        // A byte in the latch, the data lines turned to input.
        pc->write(888, 0x5A);
        pc->write(890, 0x2B);
    }
    void TearDown() override { SelectPortBackend({}); }
    // The latch (read with the lines driven) and the control register.
    std::pair<int, int> registers() {
        const std::uint8_t control = pc->read(890);
        pc->write(890, control & ~0x20);
        const std::uint8_t latch = pc->read(888);
        pc->write(890, control);
        return {latch, control & 0x3F};
    }
};

constexpr const char* kNotRestored =
    "\nPorten kunde inte återställas efter testet: 888 ska vara 90 och 890 ska vara 43. Skriv "
    "in de värdena på portarna när porten svarar igen.";

TEST_F(RestoringSequence, ThePortIsPutBackAfterTheBodyAndAFailedRestoreNamesTheValues) {
    struct Case {
        const char* name;
        bool bodyFails;
        bool restoreFails;
        std::string message; // empty: no failure
    };
    for (const Case& c :
         {Case{"body succeeds", false, false, ""}, Case{"body fails", true, false, "avbrott"},
          Case{"restore fails", false, true, std::string("fel") + kNotRestored},
          Case{"both fail", true, true, std::string("avbrott") + kNotRestored}}) {
        SCOPED_TRACE(c.name);
        SetUp();
        bool ran = false;
        const auto body = [&](SavedRegisters& saved) {
            ran = pc->held && saved.data() == 0x5A && (saved.control() & 0x3F) == 0x2B;
            DlPortWritePortUchar(888, 0xFF);
            DlPortWritePortUchar(890, 0x04);
            pc->failWrites = c.restoreFails;
            if (c.bodyFails)
                throw PortError(PortErrorKind::Busy, "avbrott");
        };
        std::string message;
        try {
            RunRestoringSequence(888, "provet", {.body = body});
        } catch (const PortError& error) {
            message = error.what();
            EXPECT_EQ(error.kind(),
                      c.bodyFails ? PortErrorKind::Busy : PortErrorKind::FailedAccess);
        }
        EXPECT_TRUE(ran);
        EXPECT_EQ(message, c.message);
        EXPECT_FALSE(pc->held);
        pc->failWrites = false;
        if (!c.restoreFails) {
            EXPECT_EQ(registers(), std::make_pair(0x5A, 0x2B));
        }
    }
}

TEST_F(RestoringSequence, APathThatReachesNoRegisterIsAnAnswerOnlyWhereTheSequenceSaysSo) {
    class Unreachable : public SimulatedPc {
        std::uint8_t read(std::uint16_t) override {
            throw PortError(PortErrorKind::NotCovered, "når inte");
        }
    };
    SelectPortBackend(SharedBackend(std::make_shared<Unreachable>()));
    bool ran = false;
    std::string refusal;
    const SequenceSteps steps{.body = [&](SavedRegisters&) { ran = true; },
                              .unreached = [&](const PortError& e) { refusal = e.what(); }};
    RunRestoringSequence(888, "provet", steps);
    EXPECT_EQ(refusal, "når inte");
    EXPECT_THROW(RunRestoringSequence(888, "provet", {.body = steps.body}), PortError);
    EXPECT_FALSE(ran);
}

#if !defined(_WIN32)
// Whether the port was back when SIGHUP was handled.
volatile std::sig_atomic_t handled = 0;
volatile std::sig_atomic_t controlWhenHandled = -1;
HeldPc* handledPc = nullptr;
extern "C" void NoteHangUp(int) {
    handled = 1;
    controlWhenHandled = handledPc->read(890) & 0x3F;
}

TEST_F(RestoringSequence, ATerminationSignalWaitsUntilThePortIsBack) {
    handledPc = pc.get();
    auto* previous = std::signal(SIGHUP, NoteHangUp);
    RunRestoringSequence(888, "provet", {.body = [&](SavedRegisters&) {
                             DlPortWritePortUchar(890, 0x04);
                             std::raise(SIGHUP);
                             EXPECT_EQ(handled, 0);
                         }});
    std::signal(SIGHUP, previous);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(controlWhenHandled, 0x2B);
}
#endif

} // namespace
