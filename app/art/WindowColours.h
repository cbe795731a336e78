// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>

// The window's background, which the connector drawing and the colour legend
// also stand on.
inline const QColor kWindowTeal(0, 128, 128);
