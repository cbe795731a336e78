// SPDX-License-Identifier: MIT
// A click on a pin of the connector: which pins it sets, the register it
// writes, and the pins and port states where it must write nothing.
#include "pins/TogglePin.h"
#include "RecordingPorts.h"
#include "SequenceHolds.h"
#include "ports/PortIo.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace portprov {
namespace {

// Recorded ports that also tell whether every access came while the port
// was held for the click's sequence.
struct HeldPorts : RecordingPorts, SequenceHolds {
    std::uint8_t read(std::uint16_t port) override {
        noteAccess();
        return RecordingPorts::read(port);
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        noteAccess();
        RecordingPorts::write(port, value);
    }
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override { return hold(port); }
};

using Outcome = PinToggle::Outcome;
using Kind = RecordingPorts::Call::Kind;

struct Case {
    const char* what;
    int pin;
    std::uint16_t base;
    std::uint8_t data;    // what the data register reads before the click
    std::uint8_t control; // what the control register reads
    Outcome outcome;
    std::optional<std::uint8_t> written; // the value written, at the pin's register
};

// Bits 6 and 7 of the control register read back as 1 on many ports; the
// click writes back what it read, with only the pin's bit turned round.
const Case kCases[] = {
    {"D0 on pin 2 set", 2, 888, 0x00, 0xCC, Outcome::Written, 0x01},
    {"D7 on pin 9 cleared", 9, 888, 0xFF, 0xCC, Outcome::Written, 0x7F},
    {"D1 on pin 3 of the port at 632", 3, 632, 0x10, 0x0C, Outcome::Written, 0x12},
    {"strobe on pin 1, inverted", 1, 888, 0x55, 0xCC, Outcome::Written, 0xCD},
    {"auto feed on pin 14, inverted", 14, 888, 0x55, 0xCC, Outcome::Written, 0xCE},
    {"init on pin 16", 16, 888, 0x55, 0xCC, Outcome::Written, 0xC8},
    {"select in on pin 17, inverted", 17, 888, 0x55, 0xCC, Outcome::Written, 0xC4},
    {"a control pin with the data lines turned to input keeps bit 5", 1, 888, 0x55, 0x2C,
     Outcome::Written, 0x2D},
    {"a data pin with the data lines turned to input", 2, 888, 0x55, 0x2C, Outcome::DataLinesInput,
     std::nullopt},
    {"the Busy input on pin 11", 11, 888, 0x55, 0x0C, Outcome::NotAnOutput, std::nullopt},
    {"the Error input on pin 15", 15, 888, 0x55, 0x0C, Outcome::NotAnOutput, std::nullopt},
    {"ground on pin 18", 18, 888, 0x55, 0x0C, Outcome::NotAnOutput, std::nullopt},
    {"no pin 26", 26, 888, 0x55, 0x0C, Outcome::NotAnOutput, std::nullopt},
};

TEST(TogglePin, EachPinWritesItsOwnBitOrNothing) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        auto ports = std::make_shared<HeldPorts>();
        ports->setIdleValue(c.base, c.data);
        ports->setIdleValue(static_cast<std::uint16_t>(c.base + 2), c.control);
        SelectPortBackend(SharedBackend(ports));

        const PinToggle result = TogglePin(c.pin, c.base);
        EXPECT_EQ(result.outcome, c.outcome);
        std::vector<RecordingPorts::Call> writes;
        for (const RecordingPorts::Call& call : ports->calls()) {
            if (call.kind == Kind::Write)
                writes.push_back(call);
        }
        if (c.outcome == Outcome::NotAnOutput) {
            // Neither read nor held: a click there touches no port.
            EXPECT_TRUE(ports->calls().empty());
            EXPECT_TRUE(ports->holds.empty());
            continue;
        }
        EXPECT_EQ(ports->holds, std::vector<std::uint16_t>{c.base});
        EXPECT_EQ(ports->unheldAccesses, 0);
        if (!c.written) {
            EXPECT_TRUE(writes.empty());
            continue;
        }
        const ConnectorPin line = *PinOf(c.pin);
        const auto at = static_cast<std::uint16_t>(c.base + (line.reg == Register::Data ? 0 : 2));
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0], (RecordingPorts::Call{Kind::Write, at, *c.written}));
        EXPECT_EQ(result.reg, line.reg);
        EXPECT_EQ(result.written, *c.written);
        // Whatever the inversion, the level at the pin turns round.
        const std::uint8_t before = line.reg == Register::Data ? c.data : c.control;
        EXPECT_NE(PinLevel(line, before), PinLevel(line, *c.written));
    }
}

TEST(TogglePin, ReportsTheDataRegisterAsItReadsBackNotAsWritten) {
    // A data line held low outside: the latch is written, the line stays low.
    auto ports = std::make_shared<HeldPorts>();
    ports->setIdleValue(890, 0x0C);
    ports->scriptRead(888, 0x00);
    ports->scriptRead(888, 0x00);
    SelectPortBackend(SharedBackend(ports));

    const PinToggle result = TogglePin(2, 888);
    EXPECT_EQ(result.outcome, Outcome::Written);
    EXPECT_EQ(result.written, 0x01);
    EXPECT_EQ(result.readBack, 0x00);
}

TEST(TogglePin, DataLinesInputMessageNamesTheControlRegisterOfThatPort) {
    const std::string message = DataLinesInputMessage(632);
    EXPECT_NE(message.find("bit 5 i 634"), std::string::npos) << message;
    EXPECT_NE(message.find("till 634"), std::string::npos) << message;
}

} // namespace
} // namespace portprov
