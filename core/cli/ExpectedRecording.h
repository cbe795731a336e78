// SPDX-License-Identifier: MIT
#pragma once

#include "input/Conversions.h"
#include "recording/ReferenceCheck.h"
#include "recording/ReferenceFile.h"

#include <string>
#include <vector>

namespace portprov {

// A reference named on the command line or chosen in a dialog, read whole:
// the refusal names the file and why it could not be opened, or the line
// that is wrong in it.
ReferenceResult ReadReferenceFile(const std::string& path);

// "--expect: ref.csv har stift15_fel, som inspelningen saknar." The refusal
// of a reference whose lines the recording does not have.
std::string AbsentLinesText(const std::string& path, const std::vector<std::string>& absent);

// One compared line as the command line prints it and the dialogs show it:
// "stift15_fel (Stift 15 Error): stämmer, 40 flanker inom ±0,10 ms, störst
// avvikelse 3,2 µs." or "…: skiljer sig, 3 skillnader; först vid 1,50 ms:
// en stigande flank saknas."
std::string ComparedLineText(const ComparedLine& line, const NumberFormat& format);

// What one difference is: "vid 1,50 ms: en stigande flank saknas".
std::string DifferenceText(const EdgeDifference& difference, const LineEdges& reference,
                           const NumberFormat& format);

// "Jämfört med ref.csv: alla 3 ledningarna stämmer." or "Jämfört med
// ref.csv: 1 av 3 ledningar skiljer sig."
std::string ComparisonSummary(const ReferenceComparison& comparison, const std::string& name);

} // namespace portprov
