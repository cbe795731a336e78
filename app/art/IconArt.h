// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>

// The program's icon, painted in code: a round cluster of glossy red and teal
// balls with white highlights (at 16 x 16 four balls in a cross, red above and
// below, teal left and right). Transparent background.
namespace iconart {

QImage PaintIcon(int size);
// The window's icon, with its 16, 32 and 48 renditions.
QIcon PortprovIcon();

} // namespace iconart
