// SPDX-License-Identifier: MIT
#include "art/LegendImage.h"

#include "art/LegendDrawing.h"

#include <QPainter>

void LegendImage::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    legend::PaintLegend(painter);
}
