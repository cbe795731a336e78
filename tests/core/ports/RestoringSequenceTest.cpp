// SPDX-License-Identifier: MIT
#include "ports/RestoringSequence.h"
#include "ports/PortIo.h"
#include "ports/SavedRegisters.h"
#include "ports/simulated/SimulatedPc.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>

using namespace portprov;

namespace {

// The simulated PC, its writes refused while failWrites holds.
struct FailingPc : SimulatedPc {
    bool failWrites = false;
    void write(std::uint16_t port, std::uint8_t value) override {
        if (failWrites)
            throw PortError(PortErrorKind::FailedAccess, "fel");
        SimulatedPc::write(port, value);
    }
};

// The control register when a held-back signal was handled; -1 before.
volatile std::sig_atomic_t controlWhenHandled = -1;
FailingPc* handledPc = nullptr;
#if !defined(_WIN32) // where a guard holds signals back
void NoteSignal(int) {
    controlWhenHandled = handledPc->read(890) & 0x3F;
}
#endif

TEST(RestoringSequence, ThePortIsPutBackFirstAndAFailedRestoreNamesTheValues) {
    const std::string notRestored = "\nPorten kunde inte återställas efter testet: 888 ska vara "
                                    "90 och 890 ska vara 11. Skriv in de värdena på portarna när "
                                    "porten svarar igen.";
    struct Case {
        bool bodyFails, restoreFails;
        std::string message; // empty: no failure
    };
    for (const Case& c :
         {Case{false, false, ""}, Case{true, false, "avbrott"},
          Case{false, true, "fel" + notRestored}, Case{true, true, "avbrott" + notRestored}}) {
        SCOPED_TRACE(c.message);
        auto pc = std::make_shared<FailingPc>();
        SelectPortBackend(SharedBackend(pc));
        pc->write(888, 0x5A);
        pc->write(890, 0x0B);
        handledPc = pc.get();
        controlWhenHandled = -1;
#if !defined(_WIN32)
        auto* previous = std::signal(SIGHUP, NoteSignal);
#endif
        std::string message;
        try {
            RunRestoringSequence(888, "provet", {.body = [&](SavedRegisters& saved) {
                                     EXPECT_EQ(saved.data(), 0x5A);
                                     DlPortWritePortUchar(888, 0xFF);
                                     DlPortWritePortUchar(890, 0x04);
#if !defined(_WIN32)
                                     std::raise(SIGHUP);
                                     EXPECT_EQ(controlWhenHandled, -1);
#endif
                                     pc->failWrites = c.restoreFails;
                                     if (c.bodyFails)
                                         throw PortError(PortErrorKind::Busy, "avbrott");
                                 }});
        } catch (const PortError& error) {
            message = error.what();
            EXPECT_EQ(error.kind(),
                      c.bodyFails ? PortErrorKind::Busy : PortErrorKind::FailedAccess);
        }
        EXPECT_EQ(message, c.message);
        if (!c.restoreFails) {
            EXPECT_EQ(pc->read(888), 0x5A);
            EXPECT_EQ(pc->read(890) & 0x3F, 0x0B);
#if !defined(_WIN32)
            EXPECT_EQ(controlWhenHandled, 0x0B);
#endif
        }
#if !defined(_WIN32)
        std::signal(SIGHUP, previous);
#endif
        SelectPortBackend({});
    }
}

} // namespace
