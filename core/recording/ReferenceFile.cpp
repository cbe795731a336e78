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
    bool anyRow = false;
    std::vector<bool> levels(reference.lines.size());
    while (const std::optional<std::string_view> text = lines.next()) {
        const std::size_t number = lines.number();
        if (CsvTrimmed(*text).empty())
            continue;
        const std::vector<std::string_view> fields = CsvFields(*text);
        if (fields.size() != reference.lines.size() + 1)
            return RefusedReference(number, std::to_string(fields.size()) +
                                                " fält, men rubriken har " +
                                                std::to_string(reference.lines.size() + 1) + ".");
        const std::optional<nanoseconds> time = CsvSeconds(fields.front());
        if (!time || *time > nanoseconds{std::chrono::hours{24}})
            return RefusedReference(number, "ogiltig tid " + CsvQuoted(fields.front()) +
                                                ": skriv sekunder med punkt, till exempel 0.002.");
        if (anyRow && *time < reference.length)
            return RefusedReference(number, "tiden går bakåt: raden före har en senare tid.");
        for (std::size_t i = 0; i < reference.lines.size(); ++i) {
            const std::string_view value = fields[i + 1];
            if (value != "0" && value != "1")
                return RefusedReference(number, "ogiltigt värde " + CsvQuoted(value) +
                                                    " i kolumnen " + reference.lines[i].name +
                                                    ": skriv 0 eller 1.");
            const bool level = value == "1";
            LineEdges& edges = reference.lines[i].edges;
            if (!anyRow)
                edges.initial = level;
            else if (level != levels[i])
                edges.edges.push_back(*time);
            levels[i] = level;
        }
        reference.length = *time;
        anyRow = true;
    }
    if (!lines.refusal().empty())
        return {std::nullopt, lines.refusal()};
    if (!anyRow)
        return RefusedReference(lines.number(), "filen har inga rader efter rubriken.");
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
