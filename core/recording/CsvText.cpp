// SPDX-License-Identifier: MIT
#include "recording/CsvText.h"

#include "ports/PrintableText.h"

#include <algorithm>
#include <utility>

namespace portprov {

using std::chrono::nanoseconds;

std::string_view CsvTrimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

std::vector<std::string_view> CsvFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(CsvTrimmed(line.substr(start, comma - start)));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

std::optional<nanoseconds> CsvSeconds(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || !digits(whole) || !digits(fraction) ||
        (point != std::string_view::npos && fraction.empty()))
        return std::nullopt;
    // More digits would overflow.
    if (whole.find_first_not_of('0') != std::string_view::npos &&
        whole.size() - whole.find_first_not_of('0') > 9)
        return nanoseconds::max();
    std::int64_t ns = 0;
    for (const char c : whole)
        ns = ns * 10 + (c - '0');
    std::int64_t part = 0;
    for (std::size_t i = 0; i < 9; ++i)
        part = part * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    if (fraction.size() > 9 && fraction[9] >= '5')
        ++part;
    return nanoseconds{ns * 1'000'000'000 + part};
}

namespace {
constexpr std::size_t kLongestQuote = 40; // characters
} // namespace

std::string CsvQuoted(std::string_view text) {
    // Built by appending: GCC 12 sees an impossible overlap in
    // "\"" + string&& once inlined into a static Release build (-Wrestrict).
    std::string quoted(1, '"');
    quoted += PrintableExcerpt(text, kLongestQuote);
    quoted += '"';
    return quoted;
}

std::string CsvLowered(std::string_view name) {
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string CsvRefused(std::size_t line, const std::string& text) {
    return "Rad " + std::to_string(line) + ": " + text;
}

namespace {

// A size as a refusal names it.
std::string CsvSizeText(std::uintmax_t bytes) {
    for (const auto& [shift, unit] : {std::pair{30, " GiB"}, std::pair{20, " MiB"}}) {
        if (bytes != 0 && bytes % (std::uintmax_t{1} << shift) == 0)
            return std::to_string(bytes >> shift) + unit;
    }
    return std::to_string(bytes) + " byte";
}

} // namespace

CsvLines::CsvLines(std::istream& in, const CsvBounds& bounds)
    : in_(in), bounds_(bounds), buffer_(bounds.longestLine + 1, '\0') {}

std::optional<std::string_view> CsvLines::next() {
    if (!refusal_.empty() || !in_.good())
        return std::nullopt;
    // getline stores at most buffer_.size() - 1 bytes and fails when the
    // line goes on past them.
    in_.getline(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    const auto got = static_cast<std::size_t>(in_.gcount());
    read_ += got;
    const bool ended = in_.eof() && got == 0;
    if (in_.bad())
        refusal_ = "Filen kunde inte läsas.";
    else if (read_ > bounds_.largestFile)
        refusal_ = "Filen är större än " + CsvSizeText(bounds_.largestFile) +
                   std::string(bounds_.largerThan);
    else if (in_.fail() && !in_.eof())
        refusal_ = CsvRefused(number_ + 1, "raden är längre än " +
                                               std::to_string(bounds_.longestLine) + " byte.");
    else if (number_ == bounds_.mostLines && !ended)
        refusal_ = CsvRefused(number_ + 1,
                              "filen har fler än " + std::to_string(bounds_.mostLines) + " rader.");
    if (!refusal_.empty() || ended)
        return std::nullopt;
    ++number_;
    // Without a "\n" the line ended the file.
    return std::string_view(buffer_.data(), in_.eof() ? got : got - 1);
}

std::optional<std::string_view> CsvLines::header() {
    std::optional<std::string_view> line;
    while ((line = next()) && CsvTrimmed(*line).empty()) {
    }
    if (line && line->substr(0, 3) == "\xEF\xBB\xBF")
        line->remove_prefix(3);
    return line;
}

} // namespace portprov

namespace portprov {

namespace {

// The row's refusal, or nullopt with the row filled in.
std::optional<std::string> CsvRowRefusal(std::string_view text,
                                         const std::vector<std::string>& names,
                                         std::optional<nanoseconds> earliest, CsvRow& row) {
    const std::vector<std::string_view> fields = CsvFields(text);
    if (fields.size() != names.size() + 1)
        return std::to_string(fields.size()) + " fält, men rubriken har " +
               std::to_string(names.size() + 1) + ".";
    const std::optional<nanoseconds> time = CsvSeconds(fields.front());
    if (!time)
        return "ogiltig tid " + CsvQuoted(fields.front()) +
               ": skriv sekunder med punkt, till exempel 0.002.";
    if (*time > kLatestCsvTime)
        return "tiden är senare än " + std::to_string(kLatestCsvTime.count()) + " timmar.";
    if (earliest && *time < *earliest)
        return std::string("tiden går bakåt: raden före har en senare tid.");
    row.time = *time;
    row.levels.clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string_view value = fields[i + 1];
        if (value != "0" && value != "1")
            return "ogiltigt värde " + CsvQuoted(value) + " i kolumnen " + names[i] +
                   ": skriv 0 eller 1.";
        row.levels.push_back(value == "1");
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string>
ForEachCsvRow(CsvLines& lines, const std::vector<std::string>& names,
              const std::function<std::optional<std::string>(const CsvRow&)>& take) {
    std::optional<nanoseconds> earliest;
    CsvRow row{};
    while (const std::optional<std::string_view> text = lines.next()) {
        if (CsvTrimmed(*text).empty())
            continue;
        std::optional<std::string> refusal = CsvRowRefusal(*text, names, earliest, row);
        if (!refusal)
            refusal = take(row);
        if (refusal)
            return CsvRefused(lines.number(), *refusal);
        earliest = row.time;
    }
    if (!lines.refusal().empty())
        return lines.refusal();
    if (!earliest)
        return CsvRefused(lines.number(), "filen har inga rader efter rubriken.");
    return std::nullopt;
}

} // namespace portprov
