// SPDX-License-Identifier: MIT
#include "window/WindowFonts.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QStringList>

#include <cmath>

namespace windowfonts {

QFont SansSerif(double points, bool bold) {
    QFont font;
    font.setFamilies({kFamily, QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    return font;
}

QFont Standard() {
    return SansSerif(8.25, true);
}

void RegisterBundledFonts() {
    const QDir bundled(QStringLiteral(":/fonts"));
    const QStringList files = bundled.entryList({QStringLiteral("*.ttf")}, QDir::Files);
    if (files.isEmpty())
        return;
    for (const QString& file : files)
        QFontDatabase::addApplicationFont(bundled.filePath(file));
    // Menus and message boxes too, as on Linux: the system's own fonts for them
    // differ from PC to PC (Wine has none and draws them with a serif face).
    QApplication::setFont(SansSerif(9, false));
    for (const char* widgetClass : {"QMenuBar", "QMenu", "QMessageBox", "QMessageBoxLabel"})
        QApplication::setFont(SansSerif(9, false), widgetClass);
}

} // namespace windowfonts
