// SPDX-License-Identifier: MIT
#include "cli/ExpectedRecording.h"

#include "cli/ReadFailure.h"
#include "cli/SummaryNumbers.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace portprov {

using std::chrono::nanoseconds;

ReferenceResult ReadReferenceFile(const std::string& path) {
    // A folder opens as a file on some systems and then reads as nothing.
    std::error_code isFolder;
    if (std::filesystem::is_directory(path, isFolder))
        return {std::nullopt, CannotReadMessage(path, EISDIR)};
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {std::nullopt, CannotReadMessage(path, errno)};
    ReferenceResult read = ReadReference(in);
    if (!read.reference)
        read.refusal = path + ": " + read.refusal;
    return read;
}

std::string AbsentLinesText(const std::string& path, const std::vector<std::string>& absent) {
    std::string names;
    for (const std::string& name : absent)
        names += (names.empty() ? "" : ", ") + name;
    return "--expect: " + path + " har " + names + ", som inspelningen saknar" +
           ": spela in de registren också (--record).";
}

namespace {

// A time on the compared axis, before time 0 too (a trigger's stretch).
std::string AtTime(nanoseconds time, const NumberFormat& format) {
    return time < nanoseconds{} ? "−" + Duration(-time, format) : Duration(time, format);
}

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + (count == 1 ? one : many);
}

} // namespace

std::string DifferenceText(const EdgeDifference& difference, const LineEdges& reference,
                           const NumberFormat& format) {
    using Kind = EdgeDifference::Kind;
    // Built by appending: GCC 12 sees impossible bounds in chains of
    // string&& + const char* once they are inlined into a Release build.
    std::string text;
    if (difference.kind == Kind::StartLevel) {
        text = "vid start: nivån är ";
        text += reference.initial ? "låg, väntad hög" : "hög, väntad låg";
        return text;
    }
    text = "vid ";
    text += AtTime(difference.at, format);
    text += ": ";
    switch (difference.kind) {
    case Kind::StartLevel:
        break;
    case Kind::Missing:
        text += difference.rising ? "en stigande" : "en fallande";
        text += " flank saknas";
        break;
    case Kind::Extra:
        text += difference.rising ? "en extra stigande" : "en extra fallande";
        text += " flank (glitch)";
        break;
    case Kind::Late:
    case Kind::Early:
        text += difference.rising ? "den stigande" : "den fallande";
        text += " flanken kommer ";
        text += Duration(difference.by, format);
        text += difference.kind == Kind::Late ? " för sent" : " för tidigt";
        break;
    }
    return text;
}

std::string ComparedLineText(const ComparedLine& line, const NumberFormat& format) {
    const LineVerdict& verdict = line.verdict;
    std::string text = line.line.wire + " (" + line.line.label + "): ";
    if (verdict.differences == 0) {
        const std::size_t edges = line.reference.edges.size();
        if (edges == 0)
            return text + "stämmer, inga flanker, " + (line.reference.initial ? "hög" : "låg") +
                   " hela tiden.";
        return text + "stämmer, " + Counted(edges, " flank", " flanker") + " inom ±" +
               Duration(verdict.tolerance, format) + ", störst avvikelse " +
               Duration(verdict.worst, format) + ".";
    }
    text += "skiljer sig, " + Counted(verdict.differences, " skillnad", " skillnader");
    if (verdict.first)
        text += "; först " + DifferenceText(*verdict.first, line.reference, format);
    return text + " (tolerans ±" + Duration(verdict.tolerance, format) + ").";
}

std::string ComparisonSummary(const ReferenceComparison& comparison, const std::string& name) {
    std::size_t differing = 0;
    for (const ComparedLine& line : comparison.lines)
        differing += line.verdict.differences == 0 ? 0 : 1;
    const std::size_t all = comparison.lines.size();
    if (differing == 0)
        return "Jämfört med " + name + ": " +
               (all == 1 ? std::string("ledningen stämmer.")
                         : "alla " + std::to_string(all) + " ledningarna stämmer.");
    return "Jämfört med " + name + ": " + std::to_string(differing) + " av " +
           Counted(all, " ledning", " ledningar") + " skiljer sig.";
}

} // namespace portprov
