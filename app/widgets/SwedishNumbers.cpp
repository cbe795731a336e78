// SPDX-License-Identifier: MIT
#include "widgets/SwedishNumbers.h"

#include <QAbstractSpinBox>

#include <cmath>

QLocale SwedishNumbers() {
    return QLocale(QLocale::Swedish, QLocale::Sweden);
}

QString SwedishDecimal(double value, int decimals) {
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0; // no "-0"
    return SwedishNumbers().toString(value, 'f', decimals);
}

QString SwedishCount(std::uint64_t value) {
    return SwedishNumbers().toString(static_cast<qulonglong>(value));
}

QString SwedishDuration(std::chrono::nanoseconds time) {
    const double ns = static_cast<double>(time.count());
    if (ns < 1e3)
        return SwedishDecimal(ns, 0) + QStringLiteral(" ns");
    if (ns < 1e6)
        return SwedishDecimal(ns / 1e3, 1) + QString::fromUtf8(" µs");
    if (ns < 1e9)
        return SwedishDecimal(ns / 1e6, 2) + QStringLiteral(" ms");
    return SwedishDecimal(ns / 1e9, 3) + QStringLiteral(" s");
}

void ShowSwedishNumbers(QAbstractSpinBox* box) {
    box->setLocale(SwedishNumbers());
}
