// SPDX-License-Identifier: MIT
// The diagram's view of a recording (which stretch, at which scale), its
// cursors, and how the mouse and keys move them. TimingDiagramDrawing.cpp
// paints it.
#include "recording/TimingDiagram.h"

#include "recording/RecordedLines.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The nearest the view comes: 20 pixels a nanosecond.
constexpr double kFinestNsPerPixel = 0.05;
// A press that moves less than this is a click, not a drag.
constexpr int kDragStart = 4;

} // namespace

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
    references_.clear();
    marks_.clear();
    currentMark_.reset();
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
    case Qt::Key_F3:
        showDifference(event->modifiers() & Qt::ShiftModifier ? -1 : 1);
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
