// SPDX-License-Identifier: MIT
#include "art/IconArt.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>

namespace iconart {

namespace {

const QColor kRed(230, 0, 0);
const QColor kTeal(0, 150, 150);

struct Ball {
    QPointF centre;
    double radius;
    QColor colour;
};

// A glossy ball: lit from the upper left, darker towards the rim, with a
// white highlight. The outline keeps small renditions crisp on any background.
void PaintBall(QPainter& painter, const Ball& ball, double outline, bool snapShine = false) {
    QPointF light = ball.centre + QPointF(-0.35 * ball.radius, -0.4 * ball.radius);
    if (snapShine) {
        // On the pixel grid the highlight lands on one whole, pure white pixel.
        light = QPointF(std::floor(light.x()) + 0.5, std::floor(light.y()) + 0.5);
    }
    QRadialGradient shading(ball.centre, ball.radius, light);
    shading.setColorAt(0.0, ball.colour.lighter(160));
    shading.setColorAt(0.55, ball.colour);
    shading.setColorAt(1.0, ball.colour.darker(220));

    painter.setPen(outline > 0.0 ? QPen(ball.colour.darker(300), outline) : QPen(Qt::NoPen));
    painter.setBrush(shading);
    painter.drawEllipse(ball.centre, ball.radius - outline / 2.0, ball.radius - outline / 2.0);

    const double spot = std::max(1.3, 0.28 * ball.radius);
    QRadialGradient shine(light, spot);
    shine.setColorAt(0.0, QColor(255, 255, 255, 255));
    shine.setColorAt(0.6, QColor(255, 255, 255, 220));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawEllipse(light, spot, spot * 0.8);
}

// 16 x 16: four balls in a cross, red above and below, teal left and right.
void PaintSmall(QPainter& painter) {
    constexpr double r = 3.8;
    // From the back (top) to the front (bottom), so that every highlight shows.
    PaintBall(painter, {{8.0, 4.0}, r, kRed}, 1.0, true);
    PaintBall(painter, {{4.0, 8.0}, r, kTeal}, 1.0, true);
    PaintBall(painter, {{12.0, 8.0}, r, kTeal}, 1.0, true);
    PaintBall(painter, {{8.0, 12.0}, r, kRed}, 1.0, true);
}

// 32 x 32 and up, drawn on a 32-unit grid: a ring of eight balls (red above
// and below, teal left and right, as in the small icon) round a teal one in
// the middle, painted from the back (top) to the front (bottom).
void PaintCluster(QPainter& painter, double outline) {
    constexpr double kMiddle = 16.0;
    constexpr double kRing = 9.5;
    constexpr double kRadius = 6.0;
    constexpr double kDiagonal = kRing * 0.70710678;
    std::array<Ball, 9> balls{{
        {{kMiddle, kMiddle - kRing}, kRadius, kRed},
        {{kMiddle + kDiagonal, kMiddle - kDiagonal}, kRadius, kTeal},
        {{kMiddle + kRing, kMiddle}, kRadius, kTeal},
        {{kMiddle + kDiagonal, kMiddle + kDiagonal}, kRadius, kRed},
        {{kMiddle, kMiddle + kRing}, kRadius, kRed},
        {{kMiddle - kDiagonal, kMiddle + kDiagonal}, kRadius, kTeal},
        {{kMiddle - kRing, kMiddle}, kRadius, kTeal},
        {{kMiddle - kDiagonal, kMiddle - kDiagonal}, kRadius, kRed},
        {{kMiddle, kMiddle}, 5.75, kTeal},
    }};
    // The middle ball stays in front; the ring goes from back to front.
    std::sort(balls.begin(), balls.end() - 1, [](const Ball& a, const Ball& b) {
        return a.centre.y() != b.centre.y() ? a.centre.y() < b.centre.y()
                                            : a.centre.x() < b.centre.x();
    });
    for (const Ball& ball : balls) {
        PaintBall(painter, ball, outline);
    }
}

} // namespace

QImage PaintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (size <= 0) {
        return image;
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (size < 32) {
        painter.scale(size / 16.0, size / 16.0);
        PaintSmall(painter);
    } else {
        const double scale = size / 32.0;
        painter.scale(scale, scale);
        // About one device pixel of outline at every size.
        PaintCluster(painter, std::min(1.0, 1.2 / scale));
    }
    return image;
}

QIcon PortprovIcon() {
    QIcon icon;
    // The sizes a window's icon is shown in (title bar, task bar, switcher).
    // The larger ones come from the icon theme: painting and sending them to
    // the X server with every start cost more than the rest of the window.
    for (const int size : {16, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(PaintIcon(size)));
    }
    return icon;
}

} // namespace iconart
