// SPDX-License-Identifier: MIT
#pragma once

#include <QLocale>
#include <QString>

#include <chrono>
#include <cstdint>

class QAbstractSpinBox;

// The recording and joystick dialogs write their numbers the Swedish way,
// whatever the user's locale: a decimal comma and a no-break space between
// thousands ("13 756 672 Hz", "0,100 s"). Their texts are Swedish, and to a
// Swede "100,000 Hz" is a hundred hertz.
QLocale SwedishNumbers();
// "1 124,2"; never "-0".
QString SwedishDecimal(double value, int decimals);
// "13 756 672".
QString SwedishCount(std::uint64_t value);
// "3,2 µs", "1,25 ms", "2,000 s": a time in the unit that suits it.
QString SwedishDuration(std::chrono::nanoseconds time);
// The box shows and reads its number the Swedish way ("100 000", "0,100").
void ShowSwedishNumbers(QAbstractSpinBox* box);
