// SPDX-License-Identifier: MIT
// Writes the helper fuzz target's first inputs into a folder: a frame of
// each kind of request and answer (FrameExamples.h), in the target's form
// (its kind in a byte, answers less 28; the payload's length in two; the
// payload), and a test line whose text fills the frame. "scripts/test fuzz"
// runs it before the fuzzer, so a new kind is fuzzed from its first run.
#include "FrameExamples.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace hp = portprov::helper_protocol;
namespace examples = portprov::frame_examples;

namespace {

bool Save(const std::string& path, const hp::Frame& frame) {
    const std::size_t kind = frame[6] | (std::size_t{frame[7]} << 8);
    const std::size_t size = frame[8] | (std::size_t{frame[9]} << 8);
    std::string input{static_cast<char>(kind < 128 ? kind : kind + 28), static_cast<char>(size),
                      static_cast<char>(size >> 8)};
    input.append(frame.begin() + hp::kHeaderSize, frame.begin() + hp::kHeaderSize + size);
    std::ofstream file(path, std::ios::binary);
    return static_cast<bool>(file.write(input.data(), static_cast<std::streamsize>(input.size())));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: helper_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool saved = true;
    int n = 0;
    for (const hp::Request& request : examples::Requests())
        saved = Save(folder + "/request-" + std::to_string(n++), hp::Encode(request)) && saved;
    for (const hp::Answer& answer : examples::Answers())
        saved = Save(folder + "/answer-" + std::to_string(n++), hp::Encode(answer)) && saved;
    hp::Request line = examples::Request(hp::Kind::TestLine, 888);
    line.text = std::string(hp::kPayloadSize, 'x');
    saved = Save(folder + "/test-line-filling-the-frame", hp::Encode(line)) && saved;
    if (!saved)
        std::fprintf(stderr, "helper_fuzz_seeds: cannot write into %s\n", folder.c_str());
    return saved ? 0 : 1;
}
