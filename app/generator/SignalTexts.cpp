// SPDX-License-Identifier: MIT
#include "generator/SignalTexts.h"

#include "widgets/SwedishNumbers.h"

QString SignalFigures(const portprov::GeneratorStats& stats) {
    // A played sequence and a signal of one period have no frequency to tell.
    QString hz = stats.achievedHz > 0.0
                     ? SwedishDecimal(stats.achievedHz, 1) + QStringLiteral(" Hz")
                     : QString::fromUtf8("–");
    // A frequency measured from first to last period says nothing of the
    // periods between that came out wrong: it does not stand alone then.
    if (stats.achievedHz > 0.0 && stats.distortedPeriods > 0)
        hz += QString::fromUtf8(" i snitt, ojämn");
    return QString::fromUtf8("Skrivningar: %1\nUppnådd frekvens: %2\nLängsta försening: %3\n"
                             "Median: %4\nSena skrivningar: %5\nFörvrängda perioder: %6\n"
                             "Realtidsprioritet: %7")
        .arg(SwedishCount(stats.writes), hz, SwedishDuration(stats.worstLateness),
             SwedishDuration(stats.medianLateness), SwedishCount(stats.lateWrites),
             SwedishCount(stats.distortedPeriods),
             stats.realTime ? QStringLiteral("ja") : QString::fromUtf8("nej"));
}
