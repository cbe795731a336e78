// SPDX-License-Identifier: MIT
#include "PulseTrainCheck.h"

#include "LinePrinter.h"
#include "PathChecks.h"

#include "ports/PortIo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace portprov::hardwaretest {
namespace {

// The emulated PC's parallel port as QEMU's device model behaves with a file
// for its printer: a control write that sets strobe (bit 0) where it was
// clear hands the data latch to the file, but only while select-in (bit 3)
// and init (bit 2) are set; with init clear the printer is held in reset.
// Control bits 6 and 7 read back as 1. The printer is always ready.
class QemuPrinterModel : public PortBackend {
public:
    explicit QemuPrinterModel(std::uint8_t control) : control_(control | 0xC0) {}

    std::uint8_t read(std::uint16_t port) override {
        switch (port) {
        case kLpt1:
            return data_;
        case kLpt1Status:
            return kStatusIdle;
        case kLpt1Control:
            return control_;
        default:
            return 0xFF;
        }
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        if (port == kLpt1) {
            data_ = value;
        } else if (port == kLpt1Control) {
            const bool selected = (value & kControlInit) != 0 && (value & kControlSelectIn) != 0;
            if (selected && (value & kControlStrobe) != 0 && (control_ & kControlStrobe) == 0)
                printed += static_cast<char>(data_);
            control_ = static_cast<std::uint8_t>(value | 0xC0);
        }
    }
    std::string describe() const override { return "QEMU:s skrivare"; }

    std::string printed;

private:
    std::uint8_t data_ = 0xFF;
    std::uint8_t control_;
};

// Whatever an earlier check left in 890, each pulse prints the byte once and
// the run leaves strobe released, so that the newline after it prints too.
TEST(PulseTrainTest, EachStrobePulsePrintsTheByteOnce) {
    const struct {
        const char* left;
        std::uint8_t control;
        std::uint8_t byte;
    } rows[] = {
        {"idle", kControlIdle, kPulseByteRaw},
        {"printer in reset", 0x00, kPulseByteDevPort},
        {"strobe held active, data lines turned to input", 0x2D, kPulseBytePpdev},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.left);
        const auto printer = std::make_shared<QemuPrinterModel>(row.control);
        SelectPortBackend(SharedBackend(printer));
        CheckLog log;

        SendPulseTrain(log, "model", row.byte);

        SelectPortBackend({});
        EXPECT_EQ(log.failures(), 0);
        EXPECT_EQ(printer->printed, std::string(kPulseCount, static_cast<char>(row.byte)) + "\n");
    }
}

} // namespace
} // namespace portprov::hardwaretest
