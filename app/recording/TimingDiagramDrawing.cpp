// SPDX-License-Identifier: MIT
// How the timing diagram paints a recording: rows of levels under a time
// axis, the cursors and the trigger's mark, and the texts of their times.
#include "recording/TimingDiagram.h"

#include "widgets/SwedishNumbers.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// Ticks of the axis stand at least this far apart.
constexpr double kTickSpacing = 90.0;

const QColor kPlotFace(255, 255, 255);
const QColor kStripeFace(244, 246, 250);
const QColor kGridColour(222, 226, 232);
const QColor kTraceColour(0, 70, 160);
const QColor kHighFill(214, 228, 250);
const QColor kCursorA(200, 0, 0);
const QColor kCursorB(0, 120, 0);
const QColor kTriggerColour(230, 130, 0);
const QColor kReferenceColour(185, 185, 185);
const QColor kDifferenceColour(220, 0, 0);

// The unit for times of this size: its name and its size in ns.
std::pair<QString, double> UnitFor(double ns) {
    ns = std::abs(ns);
    if (ns < 1e3)
        return {QStringLiteral("ns"), 1.0};
    if (ns < 1e6)
        return {QString::fromUtf8("µs"), 1e3};
    if (ns < 1e9)
        return {QStringLiteral("ms"), 1e6};
    return {QStringLiteral("s"), 1e9};
}

// A cursor's time, to the nanosecond the recording is timed by.
QString CursorTime(double ns) {
    const auto [unit, size] = UnitFor(ns);
    return SwedishDecimal(ns / size, size == 1.0 ? 0 : 3) + QLatin1Char(' ') + unit;
}

} // namespace

QString TimeText(double ns, double step) {
    const auto [unit, size] = UnitFor(std::max(std::abs(ns), step));
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step / size) - 1e-9)));
    return SwedishDecimal(ns / size, decimals) + QLatin1Char(' ') + unit;
}

QString TimingDiagram::cursorText() const {
    if (!cursorA_)
        return QString::fromUtf8("Klicka i diagrammet för markör A, skift+klick "
                                 "eller högerklick för markör B.");
    QString text = QStringLiteral("A: ") + CursorTime(*cursorA_);
    if (cursorB_) {
        text += QStringLiteral("\nB: ") + CursorTime(*cursorB_) + QString::fromUtf8("\nB − A: ") +
                CursorTime(*cursorB_ - *cursorA_);
    }
    return text;
}

void TimingDiagram::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (lines_.empty()) {
        painter.fillRect(rect(), kPlotFace);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromUtf8("Ingen inspelning än: välj port och register och "
                                           "tryck Starta."));
        return;
    }
    painter.fillRect(QRect(labelWidth_, 0, width() - labelWidth_, height()), kPlotFace);
    for (int row = 0; row < static_cast<int>(lines_.size()); ++row) {
        if (row % 2 == 1)
            painter.fillRect(QRect(0, RowTop(row), width(), rowHeight_), kStripeFace);
    }
    DrawAxis(painter);
    const std::vector<bool> atCursor = cursorA_ ? levelsAt(*cursorA_) : std::vector<bool>{};
    for (int row = 0; row < static_cast<int>(lines_.size()); ++row) {
        const QRect label(8, RowTop(row), labelWidth_ - 16, rowHeight_);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(lines_[static_cast<std::size_t>(row)].label));
        if (!atCursor.empty()) {
            QFont bold = painter.font();
            bold.setBold(true);
            painter.setFont(bold);
            painter.setPen(kCursorA);
            painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                             atCursor[static_cast<std::size_t>(row)] ? QStringLiteral("1")
                                                                     : QStringLiteral("0"));
            painter.setFont(font());
        }
        const auto index = static_cast<std::size_t>(row);
        if (index < references_.size() && references_[index])
            DrawTrace(painter, row, *references_[index], kReferenceColour, false);
        DrawTrace(painter, row, traces_[index], kTraceColour, true);
    }
    DrawDifferences(painter);
    painter.setPen(kGridColour);
    painter.drawLine(labelWidth_, 0, labelWidth_, height());
    if (triggerTime_)
        DrawCursor(painter, *triggerTime_, kTriggerColour, QStringLiteral("T"));
    if (cursorA_)
        DrawCursor(painter, *cursorA_, kCursorA, QStringLiteral("A"));
    if (cursorB_)
        DrawCursor(painter, *cursorB_, kCursorB, QStringLiteral("B"));
}

void TimingDiagram::DrawAxis(QPainter& painter) const {
    // Ticks at 1, 2 or 5 times a power of ten, far enough apart for their
    // text: far into a long recording, near, the texts grow long ("1,234567 s").
    const double end = timeAt(width());
    double power = std::pow(10.0, std::floor(std::log10(kTickSpacing * nsPerPixel_)));
    double step = power;
    for (int multiple = 0;; multiple = (multiple + 1) % 3) {
        step = power * (multiple == 0 ? 1.0 : multiple == 1 ? 2.0 : 5.0);
        const double room =
            kTickSpacing - 60 + fontMetrics().horizontalAdvance(TimeText(end, step));
        if (step >= room * nsPerPixel_)
            break;
        if (multiple == 2)
            power *= 10.0;
    }
    const int bottom = RowTop(static_cast<int>(lines_.size()));
    for (double tick = std::ceil(viewStart_ / step) * step; tick <= end; tick += step) {
        const int x = static_cast<int>(std::lround(xOf(tick)));
        painter.setPen(kGridColour);
        painter.drawLine(x, axisHeight_ - 4, x, bottom);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawLine(x, axisHeight_ - 6, x, axisHeight_);
        const QString text = TimeText(tick, step);
        const int textWidth = fontMetrics().horizontalAdvance(text);
        // Texts at the ends stay inside the plot, clear of the labels.
        const int left = std::clamp(x - textWidth / 2, labelWidth_ + 2,
                                    std::max(labelWidth_ + 2, width() - textWidth - 4));
        painter.drawText(QRect(left, 2, textWidth + 2, axisHeight_ - 8),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, axisHeight_, width(), axisHeight_);
}

void TimingDiagram::DrawTrace(QPainter& painter, int row, const Trace& trace, const QColor& colour,
                              bool fillHigh) const {
    const double high = RowTop(row) + 5.0;
    const double low = RowTop(row) + rowHeight_ - 5.0;
    const double right = std::min(xOf(Length()), static_cast<double>(width()));
    const double start = viewStart_;
    bool level = LevelAt(trace, start);
    QPolygonF outline;
    outline << QPointF(labelWidth_, level ? high : low);
    auto edge = std::upper_bound(trace.times.begin(), trace.times.end(), start);
    // Edges that fall in one pixel column are drawn as one: the column shows
    // both levels when the line changed there more than once.
    while (edge != trace.times.end() && xOf(*edge) <= right) {
        const double column = std::floor(xOf(*edge));
        const auto next =
            std::max(edge + 1, std::lower_bound(edge, trace.times.end(), timeAt(column + 1.0)));
        const bool after = level != ((next - edge) % 2 == 1);
        const double x = std::max(column, static_cast<double>(labelWidth_));
        outline << QPointF(x, level ? high : low);
        if (next - edge > 1)
            outline << QPointF(x, level ? low : high) << QPointF(x, level ? high : low);
        outline << QPointF(x, after ? high : low);
        level = after;
        edge = next;
    }
    outline << QPointF(right, level ? high : low);

    // A light face under the high stretches, as an analyser marks them.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kHighFill);
    for (qsizetype i = 0; fillHigh && i + 1 < outline.size(); ++i) {
        if (outline[i].y() == high && outline[i + 1].y() == high &&
            outline[i + 1].x() > outline[i].x())
            painter.drawRect(
                QRectF(outline[i].x(), high, outline[i + 1].x() - outline[i].x(), low - high));
    }
    painter.setBrush(Qt::NoBrush);
    // The reference's line lies behind, wider, so that where both agree the
    // recorded line is seen on a grey band.
    painter.setPen(QPen(colour, fillHigh ? 1.5 : 5.0));
    painter.drawPolyline(outline);
}

void TimingDiagram::DrawDifferences(QPainter& painter) const {
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        const Mark& mark = marks_[i];
        // At least a few pixels wide, so that a glitch of a nanosecond shows.
        const double left = std::max(xOf(mark.from), static_cast<double>(labelWidth_));
        const double right = std::max(xOf(mark.to), left + 1.0);
        if (right < labelWidth_ || left > width())
            continue;
        const QRectF box(left - 2.0, RowTop(mark.row) + 1.0, right - left + 4.0, rowHeight_ - 2.0);
        painter.setBrush(QColor(kDifferenceColour.red(), 0, 0, currentMark_ == i ? 90 : 45));
        painter.setPen(QPen(kDifferenceColour, currentMark_ == i ? 2.0 : 1.0));
        painter.drawRect(box);
    }
    painter.setBrush(Qt::NoBrush);
}

void TimingDiagram::DrawCursor(QPainter& painter, double timeNs, const QColor& colour,
                               const QString& name) const {
    const double x = xOf(timeNs);
    if (x < labelWidth_ || x > width())
        return;
    const int bottom = RowTop(static_cast<int>(lines_.size()));
    painter.setPen(QPen(colour, 1, name == QStringLiteral("T") ? Qt::DashLine : Qt::SolidLine));
    painter.drawLine(QPointF(x, axisHeight_), QPointF(x, bottom));
    const int side = fontMetrics().height();
    const QRectF flag(x - side / 2.0, axisHeight_ - side, side, side);
    painter.fillRect(flag, colour);
    painter.setPen(Qt::white);
    painter.drawText(flag, Qt::AlignCenter, name);
}
