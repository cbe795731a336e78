// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Comparison.h"
#include "recording/CsvText.h"

#include <chrono>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// A known-good recording, as a later one is compared with it: each column's
// line as its level at time 0 and its edges, and how long it lasted.
struct ReferenceLine {
    std::string name; // the column's name, lowered, as the recorder names its lines
    LineEdges edges;
};
struct Reference {
    std::vector<ReferenceLine> lines;  // in the order of the columns
    std::chrono::nanoseconds length{}; // time 0 to the last row
};

// A reference of a day's bench work fits well inside: a row a moment at a
// megahertz for ten seconds.
inline constexpr CsvBounds kReferenceBounds{64 * 1024, 10'000'000, std::uintmax_t{1} << 30,
                                            ", mer än en inspelning att jämföra med."};

struct ReferenceResult {
    std::optional<Reference> reference;
    std::string refusal; // Swedish, naming the line
};

// Reads a CSV file in the recorder's own form (WriteCsv): a header "tid_s"
// and then the lines' names; a row a time in seconds with "." as the decimal
// point, never going back; levels 0 or 1. Any line the recorder can name may
// be in it: which of them a recording has is known only beside the
// recording. A name is letters, digits and "_", each once. Texts of the file
// quoted in a refusal are cut short and made printable.
ReferenceResult ReadReference(std::istream& in, const CsvBounds& bounds = kReferenceBounds);

} // namespace portprov
