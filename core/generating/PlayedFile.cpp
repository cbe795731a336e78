// SPDX-License-Identifier: MIT
#include "generating/PlayedFile.h"

#include "ports/PrintableText.h"
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

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    // A spreadsheet may quote every field.
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(Trimmed(line.substr(start, comma - start)));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

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

// Seconds with "." decimals, exactly to the nanosecond (the tenth decimal
// rounds); nullopt for anything else, a sign included.
std::optional<nanoseconds> SecondsOf(std::string_view text) {
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
    // Anything past a day is refused by the caller; more digits would overflow.
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

PlayedFileResult Refused(std::size_t line, const std::string& text) {
    return {std::nullopt, "Rad " + std::to_string(line) + ": " + text};
}

// A text of the file as a message quotes it: a name or a number is short,
// and anything longer, or anything that would steer a terminal, is the file's
// fault, not something to show whole.
constexpr std::size_t kLongestQuote = 40; // characters

std::string Quoted(std::string_view text) {
    // Built by appending: GCC 12 sees an impossible overlap in
    // "\"" + string&& once inlined into a static Release build (-Wrestrict).
    std::string quoted(1, '"');
    quoted += PrintableExcerpt(text, kLongestQuote);
    quoted += '"';
    return quoted;
}

std::string Lowered(std::string_view name) {
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// A size as a refusal names it.
std::string SizeText(std::uintmax_t bytes) {
    for (const auto& [shift, unit] : {std::pair{30, " GiB"}, std::pair{20, " MiB"}}) {
        if (bytes != 0 && bytes % (std::uintmax_t{1} << shift) == 0)
            return std::to_string(bytes >> shift) + unit;
    }
    return std::to_string(bytes) + " byte";
}

// The file's lines, each read whole before it is looked at, up to the
// bounds: past one, the refusal says which, and no more is read.
class BoundedLines {
public:
    BoundedLines(std::istream& in, const PlayedFileBounds& bounds)
        : in_(in), bounds_(bounds), buffer_(bounds.longestLine + 1, '\0') {}

    // The next line without its "\n"; nullopt at the end of the file or at
    // a refusal. The text lasts until the next call.
    std::optional<std::string_view> next() {
        if (!refusal_.empty() || !in_.good())
            return std::nullopt;
        // getline stores at most buffer_.size() - 1 bytes and fails when
        // the line goes on past them.
        in_.getline(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        const auto got = static_cast<std::size_t>(in_.gcount());
        read_ += got;
        const bool ended = in_.eof() && got == 0;
        if (in_.bad())
            refusal_ = "Filen kunde inte läsas.";
        else if (read_ > bounds_.largestFile)
            refusal_ = "Filen är större än " + SizeText(bounds_.largestFile) +
                       ", mer än en inspelning som kan spelas upp.";
        else if (in_.fail() && !in_.eof())
            refusal_ = Refused(number_ + 1, "raden är längre än " +
                                                std::to_string(bounds_.longestLine) + " byte.")
                           .refusal;
        else if (number_ == bounds_.mostLines && !ended)
            refusal_ = Refused(number_ + 1, "filen har fler än " +
                                                std::to_string(bounds_.mostLines) + " rader.")
                           .refusal;
        if (!refusal_.empty() || ended)
            return std::nullopt;
        ++number_;
        // Without a "\n" the line ended the file.
        return std::string_view(buffer_.data(), in_.eof() ? got : got - 1);
    }

    std::size_t number() const { return number_; }
    const std::string& refusal() const { return refusal_; }

private:
    std::istream& in_;
    PlayedFileBounds bounds_;
    std::string buffer_;
    std::uintmax_t read_ = 0;
    std::size_t number_ = 0; // the lines read
    std::string refusal_;
};

// The header's columns, after the time's; the names are copied, as the
// line they came in is read over by the next.
struct Header {
    std::vector<std::string> names;
    std::vector<Column> columns;
};

std::optional<std::string> HeaderRefusal(std::string_view line, std::uint16_t base, Header& header,
                                         std::vector<std::string>& ignored) {
    // A spreadsheet may put a byte order mark in front.
    if (line.substr(0, 3) == "\xEF\xBB\xBF")
        line.remove_prefix(3);
    const std::vector<std::string_view> fields = Fields(line);
    if (Lowered(fields.front()) != "tid_s")
        return "första kolumnen ska heta tid_s, som i inspelningens filer, men heter " +
               Quoted(fields.front()) + ".";
    const ColumnNames names(base);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::optional<Column> column = names.find(Lowered(fields[i]));
        if (!column)
            return "okänd kolumn " + Quoted(fields[i]) +
                   ": inspelningens filer har inget sådant stift.";
        if (column->pin != 0 &&
            std::any_of(header.columns.begin(), header.columns.end(),
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
PlayedFileResult ReadRows(BoundedLines& lines, const Header& header, PlayedFileResult result) {
    PlayedSequence sequence;
    std::vector<int> levels(header.columns.size(), -1); // -1: before the first row
    bool anyRow = false;
    while (const std::optional<std::string_view> text = lines.next()) {
        const std::size_t number = lines.number();
        if (Trimmed(*text).empty())
            continue;
        const std::vector<std::string_view> fields = Fields(*text);
        if (fields.size() != header.columns.size() + 1)
            return Refused(number, std::to_string(fields.size()) + " fält, men rubriken har " +
                                       std::to_string(header.columns.size() + 1) + ".");
        const std::optional<nanoseconds> time = SecondsOf(fields.front());
        if (!time)
            return Refused(number, "ogiltig tid " + Quoted(fields.front()) +
                                       ": skriv sekunder med punkt, till exempel 0.002.");
        if (*time > kLongestSignal)
            return Refused(number, "tiden är senare än " + std::to_string(kLongestSignal.count()) +
                                       " timmar.");
        // Rows may share a time: the recorder writes a row a moment.
        if (anyRow && *time < sequence.length)
            return Refused(number, "tiden går bakåt: raden före har en senare tid.");
        for (std::size_t i = 0; i < header.columns.size(); ++i) {
            const std::string_view value = fields[i + 1];
            if (value != "0" && value != "1")
                return Refused(number, "ogiltigt värde " + Quoted(value) + " i kolumnen " +
                                           header.names[i] + ": skriv 0 eller 1.");
            const int level = value == "1" ? 1 : 0;
            const Column& column = header.columns[i];
            if (column.pin == 0 || level == levels[i])
                continue;
            if (sequence.changes.size() >= kMostPlayedChanges)
                return Refused(number,
                               "fler än " + std::to_string(kMostPlayedChanges) + " ändringar.");
            sequence.changes.push_back({*time, column.pin, level == 1});
            levels[i] = level;
        }
        sequence.length = *time;
        anyRow = true;
    }
    if (!lines.refusal().empty())
        return {std::nullopt, lines.refusal()};
    if (!anyRow)
        return Refused(lines.number(), "filen har inga rader efter rubriken.");
    result.sequence = std::move(sequence);
    return result;
}

} // namespace

PlayedFileResult ReadPlayedFile(std::istream& in, std::uint16_t base,
                                const PlayedFileBounds& bounds) {
    BoundedLines lines(in, bounds);
    std::optional<std::string_view> line;
    while ((line = lines.next()) && Trimmed(*line).empty()) {
    }
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
