// SPDX-License-Identifier: MIT
#include "window/LocaleNumbers.h"

#include <QLocale>

portprov::NumberFormat LocaleNumberFormat() {
    portprov::NumberFormat format;
    format.decimalSeparator = QLocale().decimalPoint().toStdString();
    return format;
}
