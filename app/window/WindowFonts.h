// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

// The window's fonts. The classic window used MS Sans Serif, which Linux does
// not have; Liberation Sans (Debian package fonts-liberation2) is close in
// width and lets every text fit its control whole. Sizes are given in points
// at 96 dots per inch and turned into device-independent pixels, so the window
// looks the same at every screen scale.
namespace windowfonts {

inline constexpr const char* kFamily = "Liberation Sans";

QFont SansSerif(double points, bool bold);

// The font of every control that names none of its own: 8.25 pt bold.
QFont Standard();

// Registers the fonts the program carries in its resources (the Windows
// build carries Liberation Sans) and sets the menus and message boxes in it.
// Call once the application exists.
void RegisterBundledFonts();

} // namespace windowfonts
