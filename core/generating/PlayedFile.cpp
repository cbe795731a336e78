// SPDX-License-Identifier: MIT
#include "generating/PlayedFile.h"

#include "recording/CsvText.h"
#include "recording/RecordedLines.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string_view>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

// What a column of the header is.
struct Column {
    int pin = 0; // the output pin it plays; 0 when the column is ignored
};

// "lpt888_" or "port513_": the prefix a recording of several ports puts in
// front of a wire name, and what follows it; nullopt without such a prefix.
std::optional<std::pair<std::string, std::string_view>> Prefixed(std::string_view name,
                                                                 std::string_view kind) {
    if (name.substr(0, kind.size()) != kind)
        return std::nullopt;
    std::size_t end = kind.size();
    while (end < name.size() && name[end] >= '0' && name[end] <= '9')
        ++end;
    if (end == kind.size() || end >= name.size() || name[end] != '_')
        return std::nullopt;
    return std::pair{std::string(name.substr(kind.size(), end - kind.size())),
                     name.substr(end + 1)};
}

std::vector<std::string> WiresOf(std::vector<std::uint16_t> ports, std::uint16_t base) {
    std::vector<std::string> wires;
    const std::array<std::uint16_t, 1> bases{base};
    for (const RecordedLine& line : LinesOf(ports, bases))
        wires.push_back(line.wire);
    return wires;
}

// The names a recording may give its columns, sorted into the outputs of
// the port at base, which are played, and everything else it can record,
// which is ignored. Both come from the recorder's own naming (LinesOf).
class ColumnNames {
public:
    explicit ColumnNames(std::uint16_t base) : base_(std::to_string(base)) {
        const std::array<std::uint16_t, 2> registers{base, static_cast<std::uint16_t>(base + 2)};
        const std::array<std::uint16_t, 1> bases{base};
        for (const RecordedLine& line : LinesOf(registers, bases))
            outputs_[line.wire] = line.pin;
        for (const std::string& wire : WiresOf({888, 889, 890}, 888))
            parallel_.insert(wire);
        for (const std::string& wire : WiresOf({513}, 888))
            game_.insert(wire);
    }

    // The column's meaning, or nullopt for a name no recording gives.
    std::optional<Column> find(std::string_view name) const {
        if (const auto found = outputs_.find(std::string(name)); found != outputs_.end())
            return Column{found->second};
        if (const auto lpt = Prefixed(name, "lpt");
            lpt && parallel_.contains(std::string(lpt->second))) {
            if (lpt->first == base_)
                return find(lpt->second);
            return Column{};
        }
        if (parallel_.contains(std::string(name)) || game_.contains(std::string(name)))
            return Column{};
        if (const auto port = Prefixed(name, "port")) {
            const std::string_view rest = port->second;
            const bool bit =
                rest.size() == 4 && rest.substr(0, 3) == "bit" && rest[3] >= '0' && rest[3] <= '7';
            if (bit || game_.contains(std::string(rest)))
                return Column{};
        }
        return std::nullopt;
    }

private:
    std::string base_;
    std::map<std::string, int, std::less<>> outputs_;
    std::set<std::string, std::less<>> parallel_;
    std::set<std::string, std::less<>> game_;
};

PlayedFileResult Refused(std::size_t line, const std::string& text) {
    return {std::nullopt, CsvRefused(line, text)};
}

// The header's columns, after the time's; the names are copied, as the
// line they came in is read over by the next.
struct Header {
    std::vector<std::string> names;
    std::vector<Column> columns;
};

std::optional<std::string> HeaderRefusal(std::string_view line, std::uint16_t base, Header& header,
                                         std::vector<std::string>& ignored) {
    const std::vector<std::string_view> fields = CsvFields(line);
    if (CsvLowered(fields.front()) != "tid_s")
        return "första kolumnen ska heta tid_s, som i inspelningens filer, men heter " +
               CsvQuoted(fields.front()) + ".";
    const ColumnNames names(base);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::optional<Column> column = names.find(CsvLowered(fields[i]));
        if (!column)
            return "okänd kolumn " + CsvQuoted(fields[i]) +
                   ": inspelningens filer har inget sådant stift.";
        if (column->pin != 0 && std::any_of(header.columns.begin(), header.columns.end(),
                                            [&](const Column& c) { return c.pin == column->pin; }))
            return "stift " + std::to_string(column->pin) + " står i två kolumner.";
        if (column->pin == 0)
            ignored.emplace_back(fields[i]);
        header.names.emplace_back(fields[i]);
        header.columns.push_back(*column);
    }
    if (std::all_of(header.columns.begin(), header.columns.end(),
                    [](const Column& c) { return c.pin == 0; }))
        return "ingen kolumn för ett utgångsstift på porten " + std::to_string(base) +
               " (stift 1-9, 14, 16 eller 17).";
    return std::nullopt;
}

// The rows after the header, as changes of the played pins.
PlayedFileResult ReadRows(CsvLines& lines, const Header& header, PlayedFileResult result) {
    static_assert(kLongestSignal == kLatestCsvTime, "a file plays as long as a signal may last");
    PlayedSequence sequence;
    std::vector<int> levels(header.columns.size(), -1); // -1: before the first row
    const auto take = [&](const CsvRow& row) -> std::optional<std::string> {
        for (std::size_t i = 0; i < header.columns.size(); ++i) {
            const int level = row.levels[i] ? 1 : 0;
            const Column& column = header.columns[i];
            if (column.pin == 0 || level == levels[i])
                continue;
            if (sequence.changes.size() >= kMostPlayedChanges)
                return "fler än " + std::to_string(kMostPlayedChanges) + " ändringar.";
            sequence.changes.push_back({row.time, column.pin, level == 1});
            levels[i] = level;
        }
        sequence.length = row.time;
        return std::nullopt;
    };
    if (std::optional<std::string> refusal = ForEachCsvRow(lines, header.names, take))
        return {std::nullopt, std::move(*refusal)};
    result.sequence = std::move(sequence);
    return result;
}

} // namespace

PlayedFileResult ReadPlayedFile(std::istream& in, std::uint16_t base,
                                const PlayedFileBounds& bounds) {
    CsvLines lines(in, {bounds.longestLine, bounds.mostLines, bounds.largestFile,
                        ", mer än en inspelning som kan spelas upp."});
    const std::optional<std::string_view> line = lines.header();
    if (!line)
        return {std::nullopt, lines.refusal().empty() ? "Filen är tom." : lines.refusal()};
    Header header;
    PlayedFileResult result;
    if (const auto refusal = HeaderRefusal(*line, base, header, result.ignored))
        return Refused(lines.number(), *refusal);
    return ReadRows(lines, header, std::move(result));
}

std::string IgnoredColumnsNote(const std::vector<std::string>& ignored) {
    if (ignored.empty())
        return {};
    std::string names;
    for (const std::string& name : ignored)
        names += (names.empty() ? "" : ", ") + name;
    return "Spelades inte upp (ingångar och andra register): " + names + ".";
}

} // namespace portprov
