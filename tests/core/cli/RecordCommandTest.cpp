// SPDX-License-Identifier: MIT
#include "cli/RecordCommand.h"
#include "cli/TriggerLine.h"

#include "ports/PortIo.h"
#include "recording/RecordedLines.h"

#include "RecordingPorts.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <new>
#include <sstream>

using namespace portprov;

namespace {

// Which line a --trigger names among the recorded registers, or "" for none.
std::string TriggerOn(std::vector<std::uint16_t> ports, std::optional<std::uint16_t> address,
                      int pin, std::vector<std::uint16_t> reported = {}) {
    const std::vector<RecordedLine> lines = LinesOf(ports, reported);
    const TriggerLine found = FindTriggerLine({pin, false, address}, ports, lines, reported);
    return found.line ? std::to_string(ports[found.line->channel]) + " bit " +
                            std::to_string(found.line->bit)
                      : "";
}

struct Outcome {
    int status;
    std::string err;
};

Outcome RunRecording(std::vector<std::string> addresses, std::optional<std::string> trigger,
                 const std::filesystem::path& file) {
    RecordRequest request;
    request.addresses = std::move(addresses);
    request.trigger = std::move(trigger);
    request.samples = "100000";
    request.file = file.string();
    std::ostringstream err;
    const int status = RunRecordCommand(request, {}, NumberFormat{"."}, "Portprov test", err);
    return {status, err.str()};
}

// Reads answer 0 until the memory runs out.
struct MemoryRunsOut : PortBackend {
    std::atomic<int> reads{0};
    std::uint8_t read(std::uint16_t) override {
        if (++reads > 1000)
            throw std::bad_alloc();
        return 0;
    }
    void write(std::uint16_t, std::uint8_t) override {}
    std::string describe() const override { return "minnet tar slut"; }
};

} // namespace

TEST(TriggerLine, APinIsLookedForOnTheConnectorItNames) {
    // Pin 3 is D1 on a parallel port, bit 0 (joystick A X) on the game port.
    EXPECT_EQ(TriggerOn({888, 513}, 888, 3), "888 bit 1");
    EXPECT_EQ(TriggerOn({888, 513}, 513, 3), "513 bit 0");
    // Any register of a parallel port, any address of the game port, names the connector.
    EXPECT_EQ(TriggerOn({889, 513}, 890, 11), "889 bit 7");
    EXPECT_EQ(TriggerOn({888, 513}, 512, 3), "513 bit 0");
    EXPECT_EQ(TriggerOn({53265}, 53264, 11, {53264}), "53265 bit 7");
    // One connector read through two addresses is one wire.
    EXPECT_EQ(TriggerOn({512, 513}, std::nullopt, 3), "512 bit 0");
    EXPECT_EQ(TriggerOn({888, 889}, std::nullopt, 11), "889 bit 7");
    // Pins of no recorded register, or of another connector.
    EXPECT_EQ(TriggerOn({889}, 888, 3), "");
    EXPECT_EQ(TriggerOn({889, 632}, 632, 11), "");
    EXPECT_EQ(TriggerOn({1000}, 1000, 3), "");
}

TEST(RecordCommand, ATriggerThatFitsNoOneLineIsABadCommandLineBeforeAnyPort) {
    const auto ports = std::make_shared<RecordingPorts>();
    SelectPortBackend(SharedBackend(ports));
    const std::filesystem::path file = UniqueTestPath("record-command-") += ".vcd";
    const struct {
        std::vector<std::string> addresses;
        const char* trigger;
        const char* said;
    } cases[] = {
        {{"888", "513"}, "3:fall", "D1 på parallellporten 888 och Styrspak A X på spelporten."},
        {{"888", "632", "513"},
         "3:rise",
         "portarna: D1 på parallellporten 888, D1 på "
         "parallellporten 632 och Styrspak A X på spelporten"},
        {{"889", "513"}, "888:3:fall", "ingen av de inspelade"},
        {{"889"}, "1000:11:fall", "Adressen 1000 i --trigger är ingen parallellport"},
    };
    for (const auto& c : cases) {
        const Outcome run = RunRecording(c.addresses, c.trigger, file);
        EXPECT_EQ(run.status, 2) << c.trigger;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_TRUE(ports->calls().empty());
    EXPECT_FALSE(std::filesystem::exists(file));
    SelectPortBackend({});
}

TEST(RecordCommand, AFileThatCannotBeSavedIsFoundBeforeAnyPort) {
    const auto ports = std::make_shared<RecordingPorts>();
    SelectPortBackend(SharedBackend(ports));
    const std::filesystem::path folder = UniqueTestPath("record-command-");
    for (const std::filesystem::path& file : {folder / "x.vcd", std::filesystem::path()}) {
        const Outcome run = RunRecording({"889"}, std::nullopt, file);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("Kan inte spara", 0), 0u) << run.err;
    }
    EXPECT_TRUE(ports->calls().empty());
    SelectPortBackend({});
}

TEST(RecordCommand, MemoryThatRunsOutEndsTheRecordingWithASwedishMessage) {
    const auto ports = std::make_shared<MemoryRunsOut>();
    SelectPortBackend(SharedBackend(ports));
    const Outcome run =
        RunRecording({"889"}, std::nullopt, UniqueTestPath("record-command-") += ".vcd");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Minnet tog slut", 0), 0u) << run.err;
    SelectPortBackend({});
}
