#include "IconArt.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

#include <algorithm>
#include <array>

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
void PaintBall(QPainter& painter, const Ball& ball, double outline) {
    const QPointF light = ball.centre + QPointF(-0.35 * ball.radius, -0.4 * ball.radius);
    QRadialGradient shading(ball.centre, ball.radius, light);
    shading.setColorAt(0.0, ball.colour.lighter(160));
    shading.setColorAt(0.55, ball.colour);
    shading.setColorAt(1.0, ball.colour.darker(220));

    painter.setPen(outline > 0.0 ? QPen(ball.colour.darker(300), outline) : QPen(Qt::NoPen));
    painter.setBrush(shading);
    painter.drawEllipse(ball.centre, ball.radius - outline / 2.0, ball.radius - outline / 2.0);

    const double spot = std::max(0.8, 0.28 * ball.radius);
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
    PaintBall(painter, {{4.0, 8.0}, r, kTeal}, 1.0);
    PaintBall(painter, {{12.0, 8.0}, r, kTeal}, 1.0);
    PaintBall(painter, {{8.0, 4.0}, r, kRed}, 1.0);
    PaintBall(painter, {{8.0, 12.0}, r, kRed}, 1.0);
}

// 32 x 32 and up, drawn on a 32-unit grid: the cross in front, four smaller
// balls behind it on the diagonals and one in the middle on top.
void PaintCluster(QPainter& painter, double outline) {
    const std::array<Ball, 4> behind{{
        {{8.5, 8.5}, 5.5, kTeal},
        {{23.5, 8.5}, 5.5, kRed},
        {{8.5, 23.5}, 5.5, kRed},
        {{23.5, 23.5}, 5.5, kTeal},
    }};
    const std::array<Ball, 4> cross{{
        {{7.5, 16.0}, 7.0, kTeal},
        {{24.5, 16.0}, 7.0, kTeal},
        {{16.0, 7.5}, 7.0, kRed},
        {{16.0, 24.5}, 7.0, kRed},
    }};
    for (const Ball& ball : behind) {
        PaintBall(painter, ball, outline);
    }
    for (const Ball& ball : cross) {
        PaintBall(painter, ball, outline);
    }
    PaintBall(painter, {{16.0, 16.0}, 5.0, kRed}, outline);
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
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addPixmap(QPixmap::fromImage(PaintIcon(size)));
    }
    return icon;
}

} // namespace iconart
