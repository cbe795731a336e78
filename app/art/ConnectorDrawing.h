// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QSize>

class QPainter;

// The front of the 25-pin D connector of the parallel port, painted in code so
// that it stays sharp at every screen scale. Logical size 217 x 51 pixels; the
// painter is expected to be set up so that one unit is one logical pixel with
// the origin at the drawing's top-left corner.
namespace connector {

inline constexpr QSize kDrawingSize{217, 51};
inline constexpr int kPinPitch = 12;

// Top-left corner of the 6 x 6 lamp over a pin (1 to 25), in drawing pixels:
// pins 1 to 13 at x = 34 + 12 (n - 1), y = 14; pins 14 to 25 at x = 40 + 12 (n - 14), y = 32.
QPoint LampTopLeft(int pin);
inline constexpr int kLampSize = 6;

void PaintConnector(QPainter& painter);

} // namespace connector
