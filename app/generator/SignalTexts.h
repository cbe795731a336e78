// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Generator.h"

#include <QString>

// What the signal generator dialog says of a signal that has run: its writes,
// the frequency it achieved, how late its writes went out, and whether it ran
// at real-time priority, one figure a line.
QString SignalFigures(const portprov::GeneratorStats& stats);
