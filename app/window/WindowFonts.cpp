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
    // The fonts the system names for the menus and messages, where it lacks
    // them (Wine has no Segoe UI and would fall back to a serif face).
    const QStringList installed = QFontDatabase::families();
    for (const char* widgetClass : {"QMenuBar", "QMenu", "QMessageBox"}) {
        QFont font = QApplication::font(widgetClass);
        if (!installed.contains(font.family(), Qt::CaseInsensitive)) {
            font.setFamilies({QString::fromLatin1(kFamily)});
            QApplication::setFont(font, widgetClass);
        }
    }
}

} // namespace windowfonts
