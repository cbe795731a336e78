// SPDX-License-Identifier: MIT
#pragma once

#include "loopback/LoopbackWiring.h"
#include "remote/HelperProtocol.h"

#include <vector>

// A message of each kind the window and portprov-io exchange, every field
// away from its default: the frames' round trip (FrameDeclarationsTest) and
// the fuzzer's first inputs (HelperFuzzSeeds) are made from them.
namespace portprov::frame_examples {

namespace hp = helper_protocol;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

inline hp::Request Request(hp::Kind kind, std::uint16_t port = 0) {
    hp::Request request;
    request.kind = kind;
    request.port = port;
    return request;
}

inline RecorderOptions Recording() {
    return {{888, 889}, 5000.0, std::uint64_t{400}, RecorderOptions::Trigger{1, 6, true, Edge::Fall, 0.25},
            RecorderOptions::Write{890, 13}};
}

inline std::vector<hp::Request> Requests() {
    using K = hp::Kind;
    std::vector<hp::Request> all{Request(K::Hello), Request(K::Read, 889), Request(K::Write, 888),
                                 Request(K::Hold, 632), Request(K::Release, 632),
                                 Request(K::TogglePin, 888), Request(K::Loopback, 956),
                                 Request(K::Probe, 888), Request(K::TestLine, 956),
                                 Request(K::Record), Request(K::StopRecording),
                                 Request(K::Generate), Request(K::Generate),
                                 Request(K::Generate), Request(K::PlayedChanges)};
    all[2].value = 0xA5;
    all[5].pin = 14;
    all[6].plug = LoopbackPlug::Data;
    all[8].byteWait = milliseconds(250);
    all[8].text = "Portprov åäö\r\n";
    all[9].record = Recording();
    RecorderOptions beside;
    beside.ports = {632, 633, 634};
    beside.length = milliseconds(30);
    all[11].generate = {632, SquareWave{{9, 2, 17}, 2500.0, 25.0, milliseconds(40)}, beside, true};
    all[12].generate.waveform = PulseTrain{{1, 14}, 10, 1000.0};
    all[13].generate.waveform = PlayedSequence{{}, milliseconds(2)};
    all[13].playedCount = 3;
    all[14].firstChange = 150;
    all[14].played = {{nanoseconds(0), 2, true}, {nanoseconds(500), 16, true}, {nanoseconds(500), 2, false}};
    return all;
}

inline hp::Answer Answer(hp::Kind kind) {
    hp::Answer answer;
    answer.kind = kind;
    return answer;
}

inline hp::RecordedEnd End() {
    return {{3, 0x7F}, milliseconds(5), milliseconds(1), {400, 5000.0, nanoseconds(3000), 2, 4, nanoseconds(500'000), true}};
}

inline std::vector<hp::Answer> Answers() {
    using K = hp::Kind;
    std::vector<hp::Answer> all{Answer(K::Ready),          Answer(K::Done),       Answer(K::Byte),
                                hp::FailureAnswer(PortError(PortErrorKind::Busy, "Porten är upptagen.")),
                                Answer(K::PinToggled),     Answer(K::LoopbackDone), Answer(K::ProbeDone),
                                Answer(K::Printed),        Answer(K::RecordStarted), Answer(K::Progress),
                                Answer(K::Changes),        Answer(K::Recorded), Answer(K::GenerateStarted),
                                Answer(K::Generated)};
    all[0].text = "ppdev, /dev/parport0";
    all[2].value = 0x5A;
    all[4].toggle = {PinToggle::Outcome::Written, Register::Control, 0x0B, 0x7F};
    all[5].loopback.plug = LoopbackPlug::Data;
    all[5].loopback.base = 888;
    for (const LoopbackWire& wire : WiringOf(LoopbackPlug::Data))
        all[5].loopback.wires.push_back({wire, WireResult::StuckLow, std::nullopt});
    all[5].loopback.wires[1] = {all[5].loopback.wires[1].wire, WireResult::Joined, 3};
    all[6].modes.base = 632;
    all[6].modes.answers = {ModeAnswer::Yes, ModeAnswer::No, ModeAnswer::Unknown, ModeAnswer::Yes};
    all[6].modes.unreached[2] = 1658;
    all[7].count = 42;
    all[9].progress = 0.5;
    all[9].waiting = true;
    all[10].changes = {{nanoseconds(-5), 1, 7}, {nanoseconds(std::int64_t{1} << 40), 15, 255}};
    all[11].end = End();
    all[13].generated = {12345, 6000, 999.5, nanoseconds(3200), nanoseconds(40), 7, 3, true, false, true};
    all[13].withRecording = true;
    all[13].end = End();
    return all;
}

} // namespace portprov::frame_examples
