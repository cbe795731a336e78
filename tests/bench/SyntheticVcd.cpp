// SPDX-License-Identifier: MIT
// Writes a VCD file of a made-up recording of 889 (the status register), as
// the recorder would give it for a real port: a length, a time between two
// reads and a number of changes spread over it. For scripts/pulseview-memory,
// which opens it in PulseView.
//     synthetic_vcd --seconds 10 --resolution-ns 1000 --changes 5000 out.vcd
#include "recording/RecordedLines.h"
#include "recording/RecordingFormats.h"
#include "recording/WholeFile.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>

int main(int argc, char** argv) {
    double seconds = 10;
    long long resolutionNs = 1000;
    long long changes = 5000;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (arg == "--resolution-ns" && i + 1 < argc)
            resolutionNs = std::atoll(argv[++i]);
        else if (arg == "--changes" && i + 1 < argc)
            changes = std::atoll(argv[++i]);
        else
            file = arg;
    }
    if (file.empty() || seconds <= 0 || resolutionNs <= 0 || changes < 0) {
        std::cerr << "usage: synthetic_vcd [--seconds S] [--resolution-ns N] [--changes N] FILE\n";
        return 2;
    }
    using std::chrono::nanoseconds;
    portprov::Recording recording;
    recording.ports = {889};
    recording.initial = {0x78};
    recording.length = nanoseconds(static_cast<long long>(seconds * 1e9));
    // Each change at a time the port was read, the lines at random levels.
    std::mt19937 random(889);
    const long long reads = recording.length.count() / resolutionNs;
    for (long long i = 1; i <= changes; ++i) {
        const long long read = reads * i / (changes + 1);
        recording.changes.push_back(
            {nanoseconds(read * resolutionNs), 0, static_cast<std::uint8_t>(random() & 0xF8)});
    }
    try {
        portprov::SaveRecording(file, portprov::FileKind::Vcd, recording,
                                portprov::LinesOf(recording.ports),
                                {"Portprov synthetic_vcd", std::chrono::system_clock::now(),
                                 nanoseconds(resolutionNs)});
    } catch (const portprov::FileSaveError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
