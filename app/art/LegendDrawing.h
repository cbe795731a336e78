// SPDX-License-Identifier: MIT
#pragma once

#include <QSize>

class QPainter;

// The colour legend beside the connector: three rows, each a filled square and
// a bold black text ("= Hög  + 5 volt", "= Låg  0  volt", "= Jord / Minus") on
// the window's teal. Logical size 104 x 57 pixels, origin at the top-left.
namespace legend {

inline constexpr QSize kDrawingSize{104, 57};

void PaintLegend(QPainter& painter);

} // namespace legend
