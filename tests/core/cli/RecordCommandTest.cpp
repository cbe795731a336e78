// SPDX-License-Identifier: MIT
#include "cli/RecordCommand.h"
#include "cli/TriggerLine.h"

#include "ports/PortIo.h"
#include "recording/RecordedLines.h"

#include "RecordingPorts.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <atomic>
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

// The status and what was said on the error stream.
std::pair<int, std::string> RunRecording(std::vector<std::string> addresses, const char* trigger,
                                         std::string file) {
    RecordRequest request;
    request.addresses = std::move(addresses);
    request.samples = "100000";
    if (trigger)
        request.trigger = trigger;
    request.files = {{FileKind::Vcd, std::move(file)}};
    std::ostringstream out, err;
    const int status = RunRecordCommand(request, {}, NumberFormat{"."}, "Portprov test", out, err);
    return {status, err.str()};
}

// Reads answer 0 until the memory runs out.
struct MemoryRunsOut : PortBackend {
    std::atomic<int> reads{0};
    std::uint8_t read(std::uint16_t) override {
        return ++reads > 1000 ? throw std::bad_alloc() : 0;
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
    EXPECT_EQ(TriggerOn({53265}, 53264, 11, {53264}), "53265 bit 7");
    // One connector read through two addresses is one wire.
    EXPECT_EQ(TriggerOn({512, 513}, std::nullopt, 3), "512 bit 0");
    // A pin of no recorded register.
    EXPECT_EQ(TriggerOn({889}, 888, 3), "");
}

TEST(RecordCommand, WhatCanBeRefusedIsRefusedBeforeAnyPort) {
    const auto ports = std::make_shared<RecordingPorts>();
    SelectPortBackend(SharedBackend(ports));
    const std::string file = UniqueTestPath("record-command-").string() + ".vcd";
    const struct {
        std::vector<std::string> addresses;
        const char* trigger;
        std::string file;
        int status;
        const char* said;
    } cases[] = {
        {{"888", "513"},
         "3:fall",
         file,
         2,
         "D1 på parallellporten 888 och Styrspak A X på spelporten."},
        {{"888", "632", "513"},
         "3:rise",
         file,
         2,
         "D1 på parallellporten 888, D1 på parallellporten 632 och Styrspak A X på spelporten"},
        {{"889", "513"}, "888:3:fall", file, 2, "ingen av de inspelade"},
        {{"889"}, "1000:11:fall", file, 2, "Adressen 1000 i --trigger är ingen parallellport"},
        {{"65536"}, nullptr, file, 2, "Ogiltig adress"}, // a bad number is a bad command line
        // An hour's recording is not lost to a name that cannot be saved.
        {{"889"}, nullptr, file + "/x.vcd", 1, "Kan inte spara"},
        {{"889"}, nullptr, "", 1, "Kan inte spara: ange ett filnamn."},
    };
    for (const auto& c : cases) {
        const auto [status, said] = RunRecording(c.addresses, c.trigger, c.file);
        EXPECT_EQ(status, c.status) << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
    }
    EXPECT_TRUE(ports->calls().empty());
    EXPECT_FALSE(std::filesystem::exists(file));
    SelectPortBackend({});
}

TEST(RecordCommand, MemoryThatRunsOutEndsTheRecordingWithASwedishMessage) {
    SelectPortBackend(SharedBackend(std::make_shared<MemoryRunsOut>()));
    const auto [status, said] =
        RunRecording({"889"}, nullptr, UniqueTestPath("record-command-").string() + ".vcd");
    EXPECT_EQ(status, 1);
    EXPECT_NE(said.find("Minnet tog slut"), std::string::npos) << said;
    SelectPortBackend({});
}
