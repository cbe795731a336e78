// SPDX-License-Identifier: MIT
#include "cli/GenerateCommand.h"

#include "ports/PortIo.h"

#include "RecordingPorts.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace portprov;
using namespace std::chrono_literals;
using Kind = GenerateRequest::Kind;

namespace {

const NumberFormat kComma{","};

GenerateRequest Asked(Kind kind, std::string signal, std::optional<std::string> port = {},
                      std::optional<std::string> duration = {}) {
    return {kind, std::move(signal), std::move(port), std::move(duration)};
}

// A file of these lines, gone with the test.
struct TextFile {
    TextFile(const std::string& name, const std::string& text)
        : path(UniqueTestPath("generate-command-").string() + name) {
        std::ofstream(path) << text;
    }
    ~TextFile() { std::filesystem::remove(path); }
    std::string path;
};

} // namespace

TEST(GenerateRequest, BadNumbersAndPinsAreRefusedWithWhatToWrite) {
    const TextFile bad("-bad.csv", "tid_s,stift2_d0\n0,2\n");
    const TextFile good("-good.csv", "tid_s,stift2_d0\n0,1\n0.002,0\n");
    const struct {
        GenerateRequest request;
        bool recording;
        int status;
        const char* said;
    } cases[] = {
        {Asked(Kind::Square, "11:1000"), false, 2,
         "Stift 11 är ingen utgång: välj ett av utgångarnas stift 1-9"},
        {Asked(Kind::Square, "2,5:1000"), false, 2, "Ogiltigt stift \"2,5\""},
        {Asked(Kind::Square, "2"), false, 2, "--square tar STIFT:HZ[:PULSKVOT]"},
        {Asked(Kind::Square, "2:0,5"), false, 2, "Ogiltig frekvens \"0,5\": skriv HZ från 1"},
        {Asked(Kind::Square, "2:1000:0"), false, 2, "Ogiltig pulskvot \"0\""},
        {Asked(Kind::Pulses, "2:10"), false, 2, "--pulses tar STIFT:ANTAL:HZ"},
        {Asked(Kind::Pulses, "2:0:1000"), false, 2, "Ogiltigt antal pulser \"0\""},
        {Asked(Kind::Pulses, "2:1,5:1000"), false, 2, "Ogiltigt antal pulser"},
        {Asked(Kind::Pulses, "2:1000000001:1000"), false, 2, "till 1000000000"},
        // --duration with the pulses is the recording's, which must cover them.
        {Asked(Kind::Pulses, "2:10:1000", {}, "0,01"), false, 2, "hör till --record"},
        {Asked(Kind::Play, good.path, {}, "1"), false, 2,
         "--duration är fyrkantsvågens längd; med --pulses och --play är den inspelningens och "
         "hör till --record."},
        {Asked(Kind::Pulses, "2:10:1000", {}, "0,005"), true, 2,
         "--duration 0,005 s är kortare än pulserna, som tar 10,00 ms"},
        {Asked(Kind::Play, good.path, {}, "0,001"), true, 2, "kortare än filen, som spelas i 2,00"},
        {Asked(Kind::Play, bad.path), false, 1, ": Rad 2: ogiltigt värde"},
        {Asked(Kind::Play, good.path + "x"), false, 1, "x: den finns inte."},
        {Asked(Kind::Play, std::filesystem::path(good.path).parent_path().string()), false, 1,
         ": det är en mapp. Ange en fil."},
        // --duration has one bound, whatever it is the length of.
        {Asked(Kind::Square, "2:1000", {}, "3601"), false, 2, "mer än 0 och högst 3600."},
        {Asked(Kind::Square, "2:1000", "65534"), false, 2, "förbi adressen 65535"},
        {Asked(Kind::Square, "2:1000", "510"), false, 2, "registret 512 hör till spelporten"},
        {Asked(Kind::Square, "2:1000", "889"), false, 2, "hör till parallellporten 888"},
    };
    for (const auto& c : cases) {
        const CheckedGenerateRequest checked = CheckGenerateRequest(c.request, c.recording, kComma);
        EXPECT_FALSE(checked.plan) << c.request.signal;
        EXPECT_EQ(checked.status, c.status) << c.request.signal << ": " << checked.refusal;
        EXPECT_NE(checked.refusal.find(c.said), std::string::npos)
            << c.request.signal << ": " << checked.refusal;
    }
}

TEST(GenerateRequest, GoodRequestsBecomeWaveforms) {
    const TextFile file(".csv", "tid_s,stift14_autofeed\n0,1\n0.002,0\n");
    const auto plan = [](const GenerateRequest& request) {
        const CheckedGenerateRequest checked = CheckGenerateRequest(request, true, kComma);
        EXPECT_TRUE(checked.plan) << checked.refusal;
        return checked.plan.value_or(GeneratePlan{});
    };
    const GeneratePlan square = plan(Asked(Kind::Square, "9:2500,5:25", "632", "0,5"));
    EXPECT_EQ(square.base, 632);
    const auto& wave = std::get<SquareWave>(square.waveform);
    EXPECT_EQ(wave.hz, 2500.5);
    EXPECT_EQ(wave.duty, 25.0);
    EXPECT_EQ(wave.duration, 500ms);
    EXPECT_EQ(square.recordingLength, 500ms);

    const GeneratePlan played = plan(Asked(Kind::Play, file.path, {}, "0,002"));
    EXPECT_EQ(std::get<PlayedSequence>(played.waveform).changes.size(), 2u);
    EXPECT_EQ(played.recordingLength, 3ms);
}

TEST(GenerateCommand, RefusedBeforeAnyPortOrAtThePort) {
    const auto ports = std::make_shared<RecordingPorts>();
    SelectPortBackend(SharedBackend(ports));
    const std::string file = UniqueTestPath("generate-command-").string() + ".vcd";
    const std::vector<RecordFile> vcd{{FileKind::Vcd, file}};
    RecordRequest fast{{"889"}, {}, {}, "10", {}, {}, vcd};
    RecordRequest plain{{"889"}, {}, {}, {}, {}, {}, vcd};
    RecordRequest unsaved{{"889"}, {}, {}, {}, {}, {}, {{FileKind::Vcd, file + "/x.vcd"}}};
    RecordRequest triggered{{"889"}, {}, {}, {}, "3:fall", {}, vcd};
    const struct {
        GenerateRequest request;
        std::optional<RecordRequest> record;
        int status;
        const char* said;
    } cases[] = {
        // The recorder's numbers beside a signal are the command line's too.
        {Asked(Kind::Square, "2:1000"), fast, 2, "Ogiltig takt"},
        {Asked(Kind::Square, "2:1000"), triggered, 2, "Stift 3 är ingen av de inspelade"},
        {Asked(Kind::Pulses, "2:10:1000"), unsaved, 1, "Kan inte spara"},
        {Asked(Kind::Pulses, "2:4000:1"), plain, 2, "Signalen varar 4000,000 s, längre än"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunGenerateCommand(c.request, c.record, {}, kComma, "Portprov test", out, err),
                  c.status)
            << err.str();
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    }
    EXPECT_TRUE(ports->calls().empty());
    EXPECT_FALSE(std::filesystem::exists(file));

    // Data lines turned to input: the window's reason, status 1, D0 never driven high.
    ports->setIdleValue(888, 0x00);
    ports->setIdleValue(890, 0x20);
    std::ostringstream out, err;
    EXPECT_EQ(RunGenerateCommand(Asked(Kind::Square, "2:1000"), {}, {}, kComma, "Portprov test",
                                 out, err),
              1);
    EXPECT_NE(err.str().find("står i Läsläge"), std::string::npos) << err.str();
    const RecordingPorts::Call high{RecordingPorts::Call::Kind::Write, 888, 0x01};
    EXPECT_EQ(std::count(ports->calls().begin(), ports->calls().end(), high), 0);
    SelectPortBackend({});
}
