// SPDX-License-Identifier: MIT
#include "recording/ReferenceFile.h"

#include <algorithm>
#include <set>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

ReferenceResult RefusedReference(std::size_t line, const std::string& text) {
    return {std::nullopt, CsvRefused(line, text)};
}

bool IsLineName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

std::optional<std::string> HeaderRefusal(std::string_view line, Reference& reference) {
    const std::vector<std::string_view> fields = CsvFields(line);
    if (CsvLowered(fields.front()) != "tid_s")
        return "första kolumnen ska heta tid_s, som i inspelningens filer, men heter " +
               CsvQuoted(fields.front()) + ".";
    std::set<std::string, std::less<>> seen;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        std::string name = CsvLowered(fields[i]);
        if (!IsLineName(name))
            return "ogiltigt namn " + CsvQuoted(fields[i]) +
                   ": inspelningens filer namnger ledningarna med bokstäver, siffror och _.";
        if (!seen.insert(name).second)
            return "ledningen " + name + " står i två kolumner.";
        reference.lines.push_back({std::move(name), {}});
    }
    if (reference.lines.empty())
        return std::string("filen har inga ledningar efter tid_s.");
    return std::nullopt;
}

// The rows after the header, as each line's level at the first row and its
// edges.
ReferenceResult ReadReferenceRows(CsvLines& lines, Reference reference) {
    std::vector<std::string> names;
    for (const ReferenceLine& line : reference.lines)
        names.push_back(line.name);
    bool anyRow = false;
    const auto take = [&](const CsvRow& row) -> std::optional<std::string> {
        for (std::size_t i = 0; i < reference.lines.size(); ++i) {
            LineEdges& edges = reference.lines[i].edges;
            const bool before = edges.initial != (edges.edges.size() % 2 == 1);
            if (!anyRow)
                edges.initial = row.levels[i];
            else if (row.levels[i] != before)
                edges.edges.push_back(row.time);
        }
        reference.length = row.time;
        anyRow = true;
        return std::nullopt;
    };
    if (std::optional<std::string> refusal = ForEachCsvRow(lines, names, take))
        return {std::nullopt, std::move(*refusal)};
    return {std::move(reference), {}};
}

} // namespace

ReferenceResult ReadReference(std::istream& in, const CsvBounds& bounds) {
    CsvLines lines(in, bounds);
    const std::optional<std::string_view> header = lines.header();
    if (!header)
        return {std::nullopt, lines.refusal().empty() ? "Filen är tom." : lines.refusal()};
    Reference reference;
    if (const auto refusal = HeaderRefusal(*header, reference))
        return RefusedReference(lines.number(), *refusal);
    return ReadReferenceRows(lines, std::move(reference));
}

} // namespace portprov
