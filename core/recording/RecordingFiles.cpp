// SPDX-License-Identifier: MIT
#include "recording/RecordingFiles.h"

#include "recording/RecordedLines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <locale>
#include <sstream>
#include <vector>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

// A VCD identifier code: printable ASCII from '!' to '~', more characters
// after the 94th line.
std::string IdentifierOf(std::size_t index) {
    std::string code;
    do {
        code += static_cast<char>('!' + index % 94);
        index /= 94;
    } while (index > 0);
    return code;
}

struct TimeUnit {
    std::int64_t ns;
    const char* name;
};

constexpr std::array<TimeUnit, 10> kUnits{{
    {1'000'000'000, "1 s"},
    {100'000'000, "100 ms"},
    {10'000'000, "10 ms"},
    {1'000'000, "1 ms"},
    {100'000, "100 us"},
    {10'000, "10 us"},
    {1'000, "1 us"},
    {100, "100 ns"},
    {10, "10 ns"},
    {1, "1 ns"},
}};

// The coarsest unit not coarser than the resolution; without one, the
// coarsest that every time of the recording is a whole number of.
TimeUnit UnitOf(const Recording& recording, nanoseconds resolution) {
    const auto fits = [&](std::int64_t unit) {
        if (resolution.count() > 0)
            return unit <= resolution.count();
        if (recording.length.count() % unit != 0)
            return false;
        for (const Recording::Change& change : recording.changes) {
            if (change.time.count() % unit != 0)
                return false;
        }
        return !recording.triggerTime || recording.triggerTime->count() % unit == 0;
    };
    for (const TimeUnit& unit : kUnits) {
        if (fits(unit.ns))
            return unit;
    }
    return kUnits.back();
}

std::string DateOf(std::chrono::system_clock::time_point date) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(date);
    const auto day = floor<days>(seconds);
    const year_month_day ymd{day};
    const hh_mm_ss time{seconds - day};
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setfill('0') << static_cast<int>(ymd.year()) << '-' << std::setw(2)
         << static_cast<unsigned>(ymd.month()) << '-' << std::setw(2)
         << static_cast<unsigned>(ymd.day()) << ' ' << std::setw(2) << time.hours().count() << ':'
         << std::setw(2) << time.minutes().count() << ':' << std::setw(2) << time.seconds().count()
         << " UTC";
    return text.str();
}

std::string PortsOf(const Recording& recording) {
    std::string ports;
    for (const std::uint16_t port : recording.ports)
        ports += (ports.empty() ? "" : ", ") + std::to_string(port);
    return ports;
}

// Seconds with nine decimals, whatever the locale: "12.000345678".
std::string SecondsOf(nanoseconds time) {
    const std::int64_t ns = time.count() < 0 ? 0 : time.count();
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << ns / 1'000'000'000 << '.' << std::setfill('0') << std::setw(9) << ns % 1'000'000'000;
    return text.str();
}

} // namespace

nanoseconds ResolutionOf(const RecordingStats& stats, std::optional<double> rate) {
    const double perSecond = rate ? *rate : stats.meanRate;
    if (!(perSecond > 0.0))
        return nanoseconds{0};
    // From 1 ns (0 would be unknown) to a day, far past the coarsest unit.
    const double apart = std::clamp(1e9 / perSecond, 1.0, 86400e9);
    // A whole nanosecond within a thousandth counts as that (999 999.9 reads a
    // second are 1 µs apart); otherwise down to the nanosecond, so that reads
    // 9.6 ns apart never get a unit of 10 ns, which would put two of them at
    // one time.
    const double whole = std::round(apart);
    return nanoseconds{std::llround(std::abs(apart - whole) <= apart * 1e-3 ? whole
                                                                              : std::floor(apart))};
}

void WriteVcd(std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines,
              const VcdHeader& header) {
    // Digits without a locale's grouping, whatever the program's locale.
    const std::locale locale = out.imbue(std::locale::classic());
    const TimeUnit unit = UnitOf(recording, header.resolution);
    const auto ticks = [&unit](nanoseconds time) {
        return (time.count() < 0 ? 0 : time.count() + unit.ns / 2) / unit.ns;
    };
    out << "$date\n  " << DateOf(header.date) << "\n$end\n";
    out << "$version\n  " << header.version << "\n$end\n";
    out << "$comment\n  Portprov: inspelning av port " << PortsOf(recording);
    if (recording.triggerTime)
        out << ", villkoret uppfyllt vid " << SecondsOf(*recording.triggerTime) << " s";
    out << "\n$end\n";
    out << "$timescale " << unit.name << " $end\n";
    out << "$scope module portprov $end\n";
    for (std::size_t i = 0; i < lines.size(); ++i)
        out << "$var wire 1 " << IdentifierOf(i) << ' ' << lines[i].wire << " $end\n";
    out << "$upscope $end\n$enddefinitions $end\n";

    out << "#0\n$dumpvars\n";
    const std::vector<bool> initial = InitialLevels(recording, lines);
    for (std::size_t i = 0; i < lines.size(); ++i)
        out << (initial[i] ? '1' : '0') << IdentifierOf(i) << '\n';
    out << "$end\n";

    std::int64_t last = 0;
    ForEachMoment(
        recording, lines,
        [&](nanoseconds time, const std::vector<bool>& levels, const std::vector<bool>& changed) {
            // A moment that rounds to the unit before it (or to time 0, which
            // $dumpvars holds) goes one unit later: a viewer shows only the
            // last level of a line at one time, and a glitch would vanish.
            last = std::max(ticks(time), last + 1);
            out << '#' << last << '\n';
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (changed[i])
                    out << (levels[i] ? '1' : '0') << IdentifierOf(i) << '\n';
            }
        });
    // The end, so that a viewer shows the levels after the last change for
    // as long as they were recorded.
    if (ticks(recording.length) > last)
        out << '#' << ticks(recording.length) << '\n';
    out.imbue(locale);
}

void WriteCsv(std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines) {
    const std::locale locale = out.imbue(std::locale::classic());
    out << "tid_s";
    for (const RecordedLine& line : lines)
        out << ',' << line.wire;
    out << '\n';
    const auto row = [&](nanoseconds time, const std::vector<bool>& levels) {
        out << SecondsOf(time);
        for (const bool level : levels)
            out << (level ? ",1" : ",0");
        out << '\n';
    };
    std::vector<bool> last = InitialLevels(recording, lines);
    nanoseconds lastTime{0};
    row(lastTime, last);
    ForEachMoment(recording, lines,
                  [&](nanoseconds time, const std::vector<bool>& levels, const std::vector<bool>&) {
                      row(time, levels);
                      last = levels;
                      lastTime = time;
                  });
    // The levels held until the end: without this row a spreadsheet could
    // not tell a recording's length from the time of its last change.
    if (recording.length > lastTime)
        row(recording.length, last);
    out.imbue(locale);
}

} // namespace portprov
