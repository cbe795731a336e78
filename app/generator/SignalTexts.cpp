// SPDX-License-Identifier: MIT
#include "generator/SignalTexts.h"

#include "widgets/SwedishNumbers.h"

QString SignalFigures(const portprov::GeneratorStats& stats) {
    // A played sequence and a signal of one period have no frequency to tell.
    const QString hz = stats.achievedHz > 0.0
                           ? SwedishDecimal(stats.achievedHz, 1) + QStringLiteral(" Hz")
                           : QString::fromUtf8("–");
    return QString::fromUtf8("Skrivningar: %1\nUppnådd frekvens: %2\nLängsta försening: %3\n"
                             "Median: %4\nSena skrivningar: %5\nRealtidsprioritet: %6")
        .arg(SwedishCount(stats.writes), hz, SwedishDuration(stats.worstLateness),
             SwedishDuration(stats.medianLateness), SwedishCount(stats.lateWrites),
             stats.realTime ? QStringLiteral("ja") : QString::fromUtf8("nej"));
}
