// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace portprov {

// The pieces of reading a CSV file in the recorder's own form (WriteCsv),
// shared by the files a signal plays and the references a recording is
// compared with: "," between the fields, "." as the decimal point whatever
// the locale, a header of names, then a row a time.

// A field without the blanks around it, and without the quotes a
// spreadsheet may put around every field.
std::string_view CsvTrimmed(std::string_view text);

// A line's fields, each trimmed.
std::vector<std::string_view> CsvFields(std::string_view line);

// Seconds with "." decimals, exactly to the nanosecond (the tenth decimal
// rounds); nanoseconds::max() past a billion seconds, for the caller to
// refuse; nullopt for anything else, a sign included.
std::optional<std::chrono::nanoseconds> CsvSeconds(std::string_view text);

// A text of the file as a message quotes it: a name or a number is short,
// and anything longer, or anything that would steer a terminal, is the
// file's fault, not something to show whole.
std::string CsvQuoted(std::string_view text);

// ASCII letters lowered, as the recorder writes its names.
std::string CsvLowered(std::string_view name);

// "Rad 12: " in front of a refusal.
std::string CsvRefused(std::size_t line, const std::string& text);

// The most a file may hold; each is named in its refusal.
struct CsvBounds {
    std::size_t longestLine;    // bytes, without the line's end
    std::size_t mostLines;      // the header and blank lines too
    std::uintmax_t largestFile; // bytes
    // What the largest file is larger than, ", mer än en inspelning som kan
    // spelas upp."
    std::string_view largerThan;
};

// The file's lines, each read whole before it is looked at, up to the
// bounds: past one, the refusal says which, and no more is read, so that a
// device or a file that never ends a line (/dev/zero) is refused rather than
// read until memory runs out.
class CsvLines {
public:
    CsvLines(std::istream& in, const CsvBounds& bounds);

    // The next line without its "\n"; nullopt at the end of the file or at
    // a refusal. The text lasts until the next call.
    std::optional<std::string_view> next();
    // The next line that is not blank, its byte order mark taken off (a
    // spreadsheet may put one in front of the header).
    std::optional<std::string_view> header();

    std::size_t number() const { return number_; }
    const std::string& refusal() const { return refusal_; }

private:
    std::istream& in_;
    CsvBounds bounds_;
    std::string buffer_;
    std::uintmax_t read_ = 0;
    std::size_t number_ = 0; // the lines read
    std::string refusal_;
};

// One row of levels after the header: its time, and a level a column.
struct CsvRow {
    std::chrono::nanoseconds time;
    std::vector<bool> levels;
};

// The latest time a row may have: a day.
inline constexpr std::chrono::hours kLatestCsvTime{24};

// Reads every row after the header, each checked before take sees it: as
// many fields as the time's and the names' columns, the time in seconds, no
// later than kLatestCsvTime and never before the row before's (rows may
// share a time: the recorder writes a row a moment), each level 0 or 1.
// Blank lines are passed over. take may refuse a row with a text. The
// refusal of the first row refused, after "Rad N: ", or of the file (too
// long, no rows after the header); nullopt when every row was taken.
std::optional<std::string>
ForEachCsvRow(CsvLines& lines, const std::vector<std::string>& names,
              const std::function<std::optional<std::string>(const CsvRow&)>& take);

} // namespace portprov
