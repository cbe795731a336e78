// SPDX-License-Identifier: MIT
#include "recording/TimingDiagram.h"

#include "recording/RecordedLines.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The nearest the view comes: 20 pixels a nanosecond.
constexpr double kFinestNsPerPixel = 0.05;
// Ticks of the axis stand at least this far apart.
constexpr double kTickSpacing = 90.0;
// A press that moves less than this is a click, not a drag.
constexpr int kDragStart = 4;

const QColor kPlotFace(255, 255, 255);
const QColor kStripeFace(244, 246, 250);
const QColor kGridColour(222, 226, 232);
const QColor kTraceColour(0, 70, 160);
const QColor kHighFill(214, 228, 250);
const QColor kCursorA(200, 0, 0);
const QColor kCursorB(0, 120, 0);
const QColor kTriggerColour(230, 130, 0);

QString Decimal(double value, int decimals) {
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0; // no "-0"
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

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
    return Decimal(ns / size, size == 1.0 ? 0 : 3) + QLatin1Char(' ') + unit;
}

} // namespace

QString TimeText(double ns, double step) {
    const auto [unit, size] = UnitFor(std::max(std::abs(ns), step));
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step / size) - 1e-9)));
    return Decimal(ns / size, decimals) + QLatin1Char(' ') + unit;
}

TimingDiagram::TimingDiagram(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TimingDiagram"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    Measure();
}

void TimingDiagram::setRecording(const portprov::Recording& recording,
                                 std::vector<portprov::RecordedLine> lines) {
    lines_ = std::move(lines);
    traces_.assign(lines_.size(), Trace{});
    const std::vector<bool> initial = portprov::InitialLevels(recording, lines_);
    std::vector<bool> current = initial;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        traces_[i].initial = initial[i];
    // A change at time 0 is already in the initial level: only real changes
    // of a line's level become edges.
    portprov::ForEachMoment(recording, lines_,
                            [&](std::chrono::nanoseconds time, const std::vector<bool>& levels,
                                const std::vector<bool>&) {
                                for (std::size_t i = 0; i < levels.size(); ++i) {
                                    if (levels[i] != current[i]) {
                                        current[i] = levels[i];
                                        traces_[i].times.push_back(
                                            static_cast<double>(time.count()));
                                    }
                                }
                            });
    length_ = static_cast<double>(recording.length.count());
    triggerTime_.reset();
    if (recording.triggerTime)
        triggerTime_ = static_cast<double>(recording.triggerTime->count());
    cursorA_.reset();
    cursorB_.reset();
    Measure();
    viewStart_ = 0.0;
    nsPerPixel_ = Length() / PlotWidth();
    Clamp();
    updateGeometry();
    update();
    if (cursorsChanged)
        cursorsChanged();
}

double TimingDiagram::Length() const {
    // A recording of one sample still gets a nanosecond of width.
    return std::max(length_, 1.0);
}

double TimingDiagram::PlotWidth() const {
    return std::max(1.0, static_cast<double>(width() - labelWidth_ - 8));
}

int TimingDiagram::RowTop(int row) const {
    return axisHeight_ + row * rowHeight_;
}

double TimingDiagram::xOf(double timeNs) const {
    return labelWidth_ + (timeNs - viewStart_) / nsPerPixel_;
}

double TimingDiagram::timeAt(double x) const {
    return viewStart_ + (x - labelWidth_) * nsPerPixel_;
}

void TimingDiagram::Clamp() {
    // No nearer than the finest step, no farther than the whole recording.
    const double widest = std::max(kFinestNsPerPixel, Length() / PlotWidth());
    nsPerPixel_ = std::clamp(nsPerPixel_, kFinestNsPerPixel, widest);
    const double latestStart = std::max(0.0, Length() - PlotWidth() * nsPerPixel_);
    viewStart_ = std::clamp(viewStart_, 0.0, latestStart);
}

void TimingDiagram::zoomAt(double x, double factor) {
    if (!(factor > 0.0))
        return;
    const double time = timeAt(x);
    nsPerPixel_ /= factor;
    Clamp();
    viewStart_ = time - (x - labelWidth_) * nsPerPixel_;
    Clamp();
    update();
}

void TimingDiagram::panBy(double pixels) {
    viewStart_ += pixels * nsPerPixel_;
    Clamp();
    update();
}

void TimingDiagram::setCursorA(std::optional<double> timeNs) {
    cursorA_ = timeNs;
    if (!cursorA_)
        cursorB_.reset();
    update();
    if (cursorsChanged)
        cursorsChanged();
}

void TimingDiagram::setCursorB(std::optional<double> timeNs) {
    // B measures from A: without A it becomes A.
    if (!cursorA_ && timeNs) {
        setCursorA(timeNs);
        return;
    }
    cursorB_ = timeNs;
    update();
    if (cursorsChanged)
        cursorsChanged();
}

bool TimingDiagram::LevelAt(const Trace& trace, double timeNs) const {
    const auto edges =
        std::upper_bound(trace.times.begin(), trace.times.end(), timeNs) - trace.times.begin();
    return trace.initial != (edges % 2 == 1);
}

std::vector<bool> TimingDiagram::levelsAt(double timeNs) const {
    std::vector<bool> levels;
    for (const Trace& trace : traces_)
        levels.push_back(LevelAt(trace, timeNs));
    return levels;
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

void TimingDiagram::Measure() {
    const QFontMetrics metrics = fontMetrics();
    int widest = metrics.horizontalAdvance(QStringLiteral("Stift 88 Select in"));
    for (const portprov::RecordedLine& line : lines_)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(line.label)));
    // Room for the label, and for the level at cursor A after it.
    labelWidth_ = 8 + widest + 12 + metrics.horizontalAdvance(QLatin1Char('0')) + 10;
    rowHeight_ = std::max(22, metrics.height() + 10);
    axisHeight_ = metrics.height() + 14;
}

QSize TimingDiagram::sizeHint() const {
    return {900, axisHeight_ +
                     static_cast<int>(std::max<std::size_t>(lines_.size(), 8)) * rowHeight_ + 4};
}

QSize TimingDiagram::minimumSizeHint() const {
    return {labelWidth_ + 200,
            axisHeight_ + static_cast<int>(std::max<std::size_t>(lines_.size(), 1)) * rowHeight_ +
                4};
}

void TimingDiagram::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A view of the whole recording stays whole; a nearer one keeps its
    // first time and scale, and shows more or less of the recording.
    const int oldWidth = event->oldSize().width();
    const bool whole =
        oldWidth < 0 ||
        (viewStart_ <= 0.0 &&
         nsPerPixel_ * std::max(1.0, static_cast<double>(oldWidth - labelWidth_ - 8)) >=
             Length() * (1.0 - 1e-9));
    if (whole)
        nsPerPixel_ = Length() / PlotWidth();
    Clamp();
}

void TimingDiagram::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y();
    if (steps == 0 || lines_.empty()) {
        event->ignore();
        return;
    }
    zoomAt(std::max(event->position().x(), plotLeft()), std::pow(1.25, steps / 120.0));
    event->accept();
}

void TimingDiagram::keyPressEvent(QKeyEvent* event) {
    const double middle = plotLeft() + PlotWidth() / 2;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAt(middle, 2.0);
        break;
    case Qt::Key_Minus:
        zoomAt(middle, 0.5);
        break;
    case Qt::Key_Left:
        panBy(-PlotWidth() / 8);
        break;
    case Qt::Key_Right:
        panBy(PlotWidth() / 8);
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        // Clamped to the first or last stretch at the present scale.
        viewStart_ = event->key() == Qt::Key_Home ? 0.0 : Length();
        Clamp();
        update();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TimingDiagram::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    pressedAt_ = event->position().toPoint();
    lastDrag_ = *pressedAt_;
    dragging_ = false;
    event->accept();
}

void TimingDiagram::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    if (!dragging_ && (at - *pressedAt_).manhattanLength() >= kDragStart)
        dragging_ = true;
    if (dragging_) {
        // The recording follows the mouse: dragging right shows earlier times.
        panBy(lastDrag_.x() - at.x());
        lastDrag_ = at;
    }
}

void TimingDiagram::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressedAt_ && !dragging_;
    pressedAt_.reset();
    dragging_ = false;
    const double x = event->position().x();
    if (!click || lines_.empty() || x < plotLeft())
        return;
    const double time = std::clamp(timeAt(x), 0.0, Length());
    if (event->button() == Qt::RightButton || (event->modifiers() & Qt::ShiftModifier))
        setCursorB(time);
    else if (event->button() == Qt::LeftButton)
        setCursorA(time);
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
        DrawTrace(painter, row);
    }
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

void TimingDiagram::DrawTrace(QPainter& painter, int row) const {
    const Trace& trace = traces_[static_cast<std::size_t>(row)];
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
    for (qsizetype i = 0; i + 1 < outline.size(); ++i) {
        if (outline[i].y() == high && outline[i + 1].y() == high &&
            outline[i + 1].x() > outline[i].x())
            painter.drawRect(
                QRectF(outline[i].x(), high, outline[i + 1].x() - outline[i].x(), low - high));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kTraceColour, 1.5));
    painter.drawPolyline(outline);
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
