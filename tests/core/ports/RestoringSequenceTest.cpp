// SPDX-License-Identifier: MIT
#include "ports/RestoringSequence.h"
#include "RecordingPorts.h"
#include "ports/PortIo.h"
#include "ports/SavedRegisters.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>

using namespace portprov;

namespace {

// How many accesses had been made when SIGHUP was handled; -1 before.
RecordingPorts* portsInUse = nullptr;
volatile std::sig_atomic_t accessesWhenHandled = -1;
void NoteSignal(int) {
    accessesWhenHandled = static_cast<std::sig_atomic_t>(portsInUse->calls().size());
}

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
        auto recording = std::make_shared<RecordingPorts>();
        portsInUse = recording.get();
        SelectPortBackend(SharedBackend(recording));
        recording->scriptRead(890, 0x0B);
        recording->setIdleValue(888, 0x5A);
        accessesWhenHandled = -1;
        auto* previous = std::signal(SIGHUP, NoteSignal);
        const auto body = [&](SavedRegisters& saved) {
            DlPortWritePortUchar(888, ~saved.data());
            std::raise(SIGHUP);
            EXPECT_EQ(accessesWhenHandled, -1);
            if (c.restoreFails)
                recording->failWith("fel");
            if (c.bodyFails)
                throw PortError(PortErrorKind::Busy, "avbrott");
        };
        std::string message;
        try {
            RunRestoringSequence(888, "provet", {.body = body});
        } catch (const PortError& error) {
            message = error.what();
        }
        std::signal(SIGHUP, previous);
        EXPECT_EQ(message, c.message);
        if (!c.restoreFails) {
            using Call = RecordingPorts::Call;
            const std::vector<Call> calls{{Call::Kind::Read, 890, 0x0B},
                                          {Call::Kind::Read, 888, 0x5A},
                                          {Call::Kind::Write, 888, 0xA5},
                                          {Call::Kind::Write, 888, 0x5A},
                                          {Call::Kind::Write, 890, 0x0B}};
            EXPECT_EQ(recording->calls(), calls);
            EXPECT_EQ(accessesWhenHandled, 5);
        }
    }
}

} // namespace
