// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>

#include <optional>

// Where a tool's dialog goes when it first opens: beside the rectangle it
// must leave clear (the window's address and value boxes and their buttons,
// which a user needs while a recording waits for its edge), on the side with
// the most room, as large as preferred where there is room for it and never
// smaller than smallest. All rectangles are outer ones, a window manager's
// frame included, in the screen's coordinates; available is the screen's
// room without its panels. nullopt when no side has room for smallest.
std::optional<QRect> PlaceClearOf(const QRect& available, const QRect& keepClear,
                                  const QSize& preferred, const QSize& smallest);
