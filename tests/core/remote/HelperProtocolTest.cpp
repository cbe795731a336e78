// SPDX-License-Identifier: MIT
// The helper takes nothing on trust: every frame that is not exactly a
// request is refused, whatever its bytes.
#include "remote/HelperProtocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/mman.h>
#include <unistd.h>

using namespace portprov;
namespace hp = portprov::helper_protocol;

namespace {

hp::Request Of(hp::Kind kind, std::uint16_t port = 0) {
    hp::Request request;
    request.kind = kind;
    request.port = port;
    return request;
}

hp::Request Recording() {
    hp::Request request = Of(hp::Kind::Record);
    request.record.ports = {888, 889};
    request.record.rate = 5000.0;
    request.record.length = std::uint64_t{400};
    request.record.trigger = RecorderOptions::Trigger{1, 6, true, Edge::Fall, 0.25};
    request.record.startWrite = RecorderOptions::Write{890, 13};
    return request;
}

void PutU32(hp::Frame& frame, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        frame[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(HelperProtocol, RequestsArriveAsSent) {
    hp::Request toggle = Of(hp::Kind::TogglePin, 632);
    toggle.pin = 17;
    hp::Request line = Of(hp::Kind::TestLine, 956);
    line.text = "Portprov åäö\r\n";
    line.byteWait = std::chrono::milliseconds(250);
    hp::Request write = Of(hp::Kind::Write, 65535);
    write.value = 200;
    hp::Request loop = Of(hp::Kind::Loopback, 888);
    loop.plug = LoopbackPlug::Data;
    for (const hp::Request& sent : {write, toggle, line, loop, Recording()}) {
        const auto parsed = hp::ParseRequest(hp::Encode(sent));
        ASSERT_TRUE(std::holds_alternative<hp::Request>(parsed)) << std::get<hp::Refusal>(parsed).reason;
        const hp::Request& got = std::get<hp::Request>(parsed);
        EXPECT_EQ(got.kind, sent.kind);
        EXPECT_EQ(got.port, sent.port);
        EXPECT_EQ(got.value, sent.value);
        EXPECT_EQ(got.pin, sent.pin);
        EXPECT_EQ(got.plug, sent.plug);
        EXPECT_EQ(got.text, sent.text);
        EXPECT_EQ(got.byteWait, sent.byteWait);
        EXPECT_EQ(got.record.ports, sent.record.ports);
        EXPECT_EQ(got.record.rate, sent.record.rate);
        EXPECT_EQ(got.record.length, sent.record.length);
        ASSERT_EQ(got.record.trigger.has_value(), sent.record.trigger.has_value());
        if (sent.record.trigger) {
            EXPECT_EQ(got.record.trigger->bit, 6);
            EXPECT_TRUE(got.record.trigger->inverted);
            EXPECT_EQ(got.record.trigger->edge, Edge::Fall);
            EXPECT_EQ(got.record.trigger->before, 0.25);
            EXPECT_EQ(got.record.startWrite->port, 890);
            EXPECT_EQ(got.record.startWrite->value, 13);
        }
    }
}

TEST(HelperProtocol, EveryMalformedRequestIsRefused) {
    const hp::Frame read = hp::Encode(Of(hp::Kind::Read, 888));
    const auto payload = [](hp::Frame& frame, std::size_t at) -> std::uint8_t& {
        return frame[hp::kHeaderSize + at];
    };
    struct Case {
        const char* what;
        hp::Frame frame;
        std::function<void(hp::Frame&)> spoil;
    };
    hp::Request pin = Of(hp::Kind::TogglePin, 888);
    pin.pin = 1;
    hp::Request line = Of(hp::Kind::TestLine, 888);
    line.text = "x";
    const hp::Request loop = Of(hp::Kind::Loopback, 888);
    const Case cases[] = {
        {"another magic", read, [](hp::Frame& f) { f[0] ^= 1; }},
        {"another version", read, [](hp::Frame& f) { f[4] = 2; }},
        {"a length past the frame", read, [](hp::Frame& f) { PutU32(f, 8, hp::kPayloadSize + 1); }},
        {"a length short of the fields", read, [](hp::Frame& f) { PutU32(f, 8, 3); }},
        {"bytes after the payload", read, [](hp::Frame& f) { f[hp::kFrameSize - 1] = 1; }},
        {"a byte right after the payload", read, [&](hp::Frame& f) { payload(f, 4) = 1; }},
        {"an unknown kind", read, [](hp::Frame& f) { f[6] = 99; }},
        {"an answer's kind", read, [](hp::Frame& f) { f[6] = 101; }},
        {"an address above 65535, never its alias", read,
         [&](hp::Frame& f) { payload(f, 2) = 1; }},
        {"a base whose control register passes 65535", hp::Encode(Of(hp::Kind::Probe, 0)),
         [](hp::Frame& f) { PutU32(f, hp::kHeaderSize, 65534); }},
        {"pin 0", hp::Encode(pin), [&](hp::Frame& f) { payload(f, 4) = 0; }},
        {"pin 26", hp::Encode(pin), [&](hp::Frame& f) { payload(f, 4) = 26; }},
        {"a plug past the table", hp::Encode(loop), [&](hp::Frame& f) { payload(f, 4) = 2; }},
        {"a text past its length", hp::Encode(line), [&](hp::Frame& f) { payload(f, 12) = 200; }},
        {"a byte wait of hours", hp::Encode(line), [&](hp::Frame& f) { payload(f, 11) = 0x10; }},
        {"a flag that is not 0 or 1", hp::Encode(Recording()), [&](hp::Frame& f) { payload(f, 9) = 2; }},
        {"no port to record", hp::Encode(Recording()), [&](hp::Frame& f) { payload(f, 0) = 0; }},
        {"a rate below 1 kHz", hp::Encode(Recording()),
         [&](hp::Frame& f) { payload(f, 16) = 0; payload(f, 15) = 0; }},
        {"no length", hp::Encode(Recording()),
         [&](hp::Frame& f) { payload(f, 19) = 0; payload(f, 20) = 0; }},
        {"a trigger on no recorded port", hp::Encode(Recording()), [&](hp::Frame& f) { payload(f, 28) = 2; }},
        {"bit 8", hp::Encode(Recording()), [&](hp::Frame& f) { payload(f, 29) = 8; }},
    };
    for (const Case& c : cases) {
        hp::Frame frame = c.frame;
        ASSERT_TRUE(std::holds_alternative<hp::Request>(hp::ParseRequest(frame))) << c.what;
        c.spoil(frame);
        EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseRequest(frame))) << c.what;
    }
}

// A frame that claims a payload as long as the whole frame: read as told,
// its text would run 12 bytes past the frame. Here the frame ends where
// unreadable memory begins, so such a read ends the test.
TEST(HelperProtocol, AFrameIsNeverReadPastItsEnd) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* pages = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(::mprotect(static_cast<std::uint8_t*>(pages) + page, page, PROT_NONE), 0);
    auto& frame = *reinterpret_cast<hp::Frame*>(static_cast<std::uint8_t*>(pages) + page - hp::kFrameSize);
    // A test line's text and a failure's text, each filling the payload;
    // their text's length (two bytes) at `at` is then stretched to the frame's end.
    hp::Request line = Of(hp::Kind::TestLine, 888);
    line.text = std::string(hp::kPayloadSize - 14, 'x');
    const hp::Answer failed = hp::FailureAnswer(PortError(PortErrorKind::Busy, std::string(hp::kPayloadSize, 'x')));
    for (const auto& [encoded, at] : {std::pair{hp::Encode(line), 12}, std::pair{hp::Encode(failed), 1}}) {
        frame = encoded;
        PutU32(frame, 8, hp::kFrameSize);
        const std::size_t text = hp::kFrameSize - at - 2;
        frame[hp::kHeaderSize + at] = static_cast<std::uint8_t>(text);
        frame[hp::kHeaderSize + at + 1] = static_cast<std::uint8_t>(text >> 8);
        EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseRequest(frame)));
        EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseAnswer(frame)));
    }
    ::munmap(pages, 2 * page);
}

TEST(HelperProtocol, AnswersArriveAsSentAndLongTextsAreCutAtACharacter) {
    hp::Answer failed = hp::FailureAnswer(PortError(PortErrorKind::Busy, std::string(3000, 'a') + "ä"));
    hp::Answer changes;
    changes.kind = hp::Kind::Changes;
    changes.changes = {{std::chrono::nanoseconds(-5), 1, 7}, {std::chrono::nanoseconds(std::int64_t{1} << 40), 15, 255}};
    for (const hp::Answer& sent : {failed, changes}) {
        const auto parsed = hp::ParseAnswer(hp::Encode(sent));
        ASSERT_TRUE(std::holds_alternative<hp::Answer>(parsed));
        const hp::Answer& got = std::get<hp::Answer>(parsed);
        EXPECT_EQ(got.errorKind, sent.errorKind);
        EXPECT_EQ(got.changes, sent.changes);
        EXPECT_EQ(got.text, sent.text.substr(0, got.text.size()));
    }
    // A recording's waiting for its edge, and its memory running out.
    hp::Answer waiting;
    waiting.kind = hp::Kind::Progress;
    waiting.waiting = true;
    hp::Answer ended;
    ended.kind = hp::Kind::Recorded;
    ended.end.initial = {3};
    ended.end.stats.outOfMemory = true;
    for (const hp::Answer& sent : {waiting, ended}) {
        const auto got = std::get<hp::Answer>(hp::ParseAnswer(hp::Encode(sent)));
        EXPECT_EQ(got.waiting, sent.waiting);
        EXPECT_EQ(got.end.stats.outOfMemory, sent.end.stats.outOfMemory);
    }
    hp::Frame spoilt = hp::Encode(waiting);
    spoilt[hp::kHeaderSize + 8] = 2;
    EXPECT_TRUE(std::holds_alternative<hp::Refusal>(hp::ParseAnswer(spoilt)));
    // Cut inside "ä" (two bytes) the text would end in half a character.
    failed.text = std::string(hp::kPayloadSize - 4, 'a') + "ä";
    const auto parsed = std::get<hp::Answer>(hp::ParseAnswer(hp::Encode(failed)));
    EXPECT_EQ(parsed.text, std::string(hp::kPayloadSize - 4, 'a'));
}

} // namespace
