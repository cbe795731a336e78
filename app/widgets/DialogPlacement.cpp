// SPDX-License-Identifier: MIT
#include "widgets/DialogPlacement.h"

#include <algorithm>
#include <array>

namespace {

// The gap left between the dialog and what it keeps clear of.
constexpr int kGap = 8;

} // namespace

std::optional<QRect> PlaceClearOf(const QRect& available, const QRect& keepClear,
                                  const QSize& preferred, const QSize& smallest) {
    const QRect clear = keepClear.adjusted(-kGap, -kGap, kGap, kGap);
    // The room right of, below, left of and above what is kept clear.
    const std::array<QRect, 4> sides{
        QRect(QPoint(clear.right() + 1, available.top()), available.bottomRight()),
        QRect(QPoint(available.left(), clear.bottom() + 1), available.bottomRight()),
        QRect(available.topLeft(), QPoint(clear.left() - 1, available.bottom())),
        QRect(available.topLeft(), QPoint(available.right(), clear.top() - 1)),
    };
    std::optional<QRect> best;
    for (const QRect& room : sides) {
        const QRect side = room.intersected(available);
        if (side.width() < smallest.width() || side.height() < smallest.height())
            continue;
        const QSize size = preferred.boundedTo(side.size()).expandedTo(smallest);
        // As near to what is kept clear as the side allows.
        QRect placed(QPoint(0, 0), size);
        placed.moveCenter(clear.center());
        placed.moveLeft(std::clamp(placed.left(), side.left(), side.right() + 1 - size.width()));
        placed.moveTop(std::clamp(placed.top(), side.top(), side.bottom() + 1 - size.height()));
        if (!best || size.width() * size.height() > best->width() * best->height())
            best = placed;
    }
    return best;
}
