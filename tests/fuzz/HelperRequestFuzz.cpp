// SPDX-License-Identifier: MIT
// Fuzz target for what the helper portprov-io reads from its pipe, the one
// input of the program that holds port rights, and for what the window reads
// back. The input's first byte is the kind, the next two the payload's length
// and the rest its bytes, under a right header, so that the fuzzer spends its
// time in the fields and not in the magic number. A request or an answer that
// parses must come out of its own encoding again as the same frame. The
// fuzzer starts from a frame of each kind in this form (helper_fuzz_seeds).

#include "remote/HelperProtocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace portprov;
namespace hp = portprov::helper_protocol;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "wrong result: %s\n", what);
    std::abort();
}

void Put(hp::Frame& frame, std::size_t at, std::uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i)
        frame[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    hp::Frame frame{};
    Put(frame, 0, hp::kMagic, 4);
    Put(frame, 4, hp::kVersion, 2);
    Put(frame, 6, data[0] < 128 ? data[0] : data[0] - 28u, 2); // requests and answers alike
    Put(frame, 8, data[1] | (std::size_t{data[2]} << 8), 4);
    std::copy_n(data + 3, std::min(size - 3, hp::kPayloadSize), frame.begin() + hp::kHeaderSize);

    const auto request = hp::ParseRequest(frame);
    if (const auto* parsed = std::get_if<hp::Request>(&request)) {
        const hp::Frame again = hp::Encode(*parsed);
        const auto reparsed = hp::ParseRequest(again);
        if (!std::holds_alternative<hp::Request>(reparsed))
            Fail("a request's own encoding is refused");
        if (hp::Encode(std::get<hp::Request>(reparsed)) != again)
            Fail("a request changes on its way through the pipe");
        if (parsed->port > 65535 || (parsed->kind == hp::Kind::TestLine &&
                                     parsed->text.size() > hp::kLongestTestLine))
            Fail("a request past its bounds was taken");
    }
    const auto answer = hp::ParseAnswer(frame);
    if (const auto* parsed = std::get_if<hp::Answer>(&answer)) {
        const hp::Frame again = hp::Encode(*parsed);
        const auto reparsed = hp::ParseAnswer(again);
        if (!std::holds_alternative<hp::Answer>(reparsed))
            Fail("an answer's own encoding is refused");
        if (hp::Encode(std::get<hp::Answer>(reparsed)) != again)
            Fail("an answer changes on its way through the pipe");
    }
    return 0;
}
