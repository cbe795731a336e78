// SPDX-License-Identifier: MIT
// The timing diagram beside a good board's recording: the reference's lines
// behind the recorded ones, the differences marked, and the way from one
// difference to the next.
#include "recording/TimingDiagram.h"

#include "cli/ExpectedRecording.h"
#include "cli/SummaryNumbers.h"

#include <algorithm>

namespace {

using std::chrono::nanoseconds;

double Ns(nanoseconds time) {
    return static_cast<double>(time.count());
}

// The stretch a difference spans on the compared time axis: a late or an
// early edge from where it was due to where it came, a missing or an extra
// edge at its time, a wrong start level at the start.
std::pair<double, double> SpanOf(const portprov::EdgeDifference& difference, double from) {
    using Kind = portprov::EdgeDifference::Kind;
    switch (difference.kind) {
    case Kind::StartLevel:
        return {from, from};
    case Kind::Late:
        return {Ns(difference.at), Ns(difference.at + difference.by)};
    case Kind::Early:
        return {Ns(difference.at - difference.by), Ns(difference.at)};
    case Kind::Missing:
    case Kind::Extra:
        break;
    }
    return {Ns(difference.at), Ns(difference.at)};
}

} // namespace

void TimingDiagram::setComparison(const portprov::ReferenceComparison* comparison) {
    references_.assign(lines_.size(), std::nullopt);
    marks_.clear();
    currentMark_.reset();
    if (comparison != nullptr) {
        // The compared axis starts at the trigger's edge, where there is one.
        const double zero = triggerTime_.value_or(0.0);
        for (const portprov::ComparedLine& compared : comparison->lines) {
            const auto row = std::find_if(lines_.begin(), lines_.end(), [&](const auto& line) {
                return line.wire == compared.line.wire;
            });
            if (row == lines_.end())
                continue;
            const auto index = static_cast<std::size_t>(row - lines_.begin());
            Trace trace{compared.reference.initial, {}};
            for (const nanoseconds edge : compared.reference.edges)
                trace.times.push_back(Ns(edge) + zero);
            references_[index] = std::move(trace);
            for (const portprov::EdgeDifference& difference : compared.verdict.shown) {
                const auto [from, to] = SpanOf(difference, Ns(comparison->from));
                marks_.push_back(
                    {static_cast<int>(index), from + zero, to + zero,
                     Ns(compared.verdict.tolerance) * 10.0,
                     QString::fromStdString(row->label) + QLatin1Char(' ') +
                         QString::fromStdString(portprov::DifferenceText(
                             difference, compared.reference, portprov::SwedishNumberFormat()))});
            }
        }
        std::stable_sort(marks_.begin(), marks_.end(),
                         [](const Mark& a, const Mark& b) { return a.from < b.from; });
    }
    update();
}

bool TimingDiagram::showDifference(int step) {
    if (marks_.empty())
        return false;
    const auto last = static_cast<long>(marks_.size()) - 1;
    const long next =
        currentMark_ ? static_cast<long>(*currentMark_) + step : (step > 0 ? 0 : last);
    currentMark_ = static_cast<std::size_t>(std::clamp(next, 0L, last));
    const Mark& mark = marks_[*currentMark_];
    // Near enough to tell the edges apart, with the edges around it in
    // sight: the difference, or its line's tolerance ten times, takes at
    // most a fifth of the view, unless the view is nearer already.
    const double span = std::max({mark.to - mark.from, mark.context, 1.0});
    nsPerPixel_ = std::min(nsPerPixel_, std::max(span * 5.0 / PlotWidth(), 1e-3));
    viewStart_ = (mark.from + mark.to) / 2.0 - PlotWidth() / 2.0 * nsPerPixel_;
    Clamp();
    setCursorA(mark.from);
    return true;
}

QString TimingDiagram::differenceText() const {
    if (marks_.empty())
        return references_.empty() ? QString() : QString::fromUtf8("Inga skillnader.");
    if (!currentMark_)
        return QString::fromUtf8("%1 skillnader: F3 eller Nästa visar den första.")
            .arg(marks_.size());
    return QString::fromUtf8("Skillnad %1 av %2: %3")
        .arg(*currentMark_ + 1)
        .arg(marks_.size())
        .arg(marks_[*currentMark_].text);
}
