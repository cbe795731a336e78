// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Waveform.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A played sequence read from a CSV file in the recorder's form, for the
// parallel port at base, or why it cannot be played.
struct SequenceFromFile {
    std::optional<portprov::PlayedSequence> sequence;
    QString refusal;
    std::vector<std::string> ignored{}; // the columns not played (PlayedFileResult)
};
SequenceFromFile ReadSequenceFile(const QString& name, std::uint16_t base);
