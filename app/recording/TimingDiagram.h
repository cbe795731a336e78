// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"
#include "recording/ReferenceCheck.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

// A recording drawn as a logic analyser draws it: one row per line, labelled
// with its pin and signal, high and low at the line's level on the connector,
// under a time axis. The wheel and + / - zoom, dragging and the arrow keys
// pan; a click sets cursor A, shift+click or a right click cursor B.
class TimingDiagram : public QWidget {
public:
    explicit TimingDiagram(QWidget* parent = nullptr);

    // Shows a recording from its start, the whole length in view.
    void setRecording(const portprov::Recording& recording,
                      std::vector<portprov::RecordedLine> lines);
    bool hasRecording() const { return !lines_.empty(); }
    // Where the start condition was met, when the recording waited for one.
    std::optional<double> triggerTime() const { return triggerTime_; }

    // The mapping between time (ns since the recording's start) and x in the
    // widget. The first time in view sits at the left edge of the plot.
    double xOf(double timeNs) const;
    double timeAt(double x) const;
    double plotLeft() const { return labelWidth_; }
    double viewStart() const { return viewStart_; }
    double nsPerPixel() const { return nsPerPixel_; }

    // Zooms by factor (above 1 nearer) keeping the time under x in place.
    void zoomAt(double x, double factor);
    // Moves the view by pixels (positive: later times come into view).
    void panBy(double pixels);

    // The cursors, in ns; cursor B may stand only with A.
    std::optional<double> cursorA() const { return cursorA_; }
    std::optional<double> cursorB() const { return cursorB_; }
    void setCursorA(std::optional<double> timeNs);
    void setCursorB(std::optional<double> timeNs);
    // Each line's level (true high) at a time.
    std::vector<bool> levelsAt(double timeNs) const;
    // "A: 12,000 µs", with lines for B and B − A once B stands.
    QString cursorText() const;
    // Called whenever a cursor moves.
    std::function<void()> cursorsChanged;

    // A comparison with a good board's recording, made of the recording
    // shown: the reference's lines drawn grey behind the recorded lines of
    // the same name, and each difference marked red (TimingDiagramReference.cpp).
    // Null: none. A new recording takes it away.
    void setComparison(const portprov::ReferenceComparison* comparison);
    std::size_t differenceCount() const { return marks_.size(); }
    // Moves to the next difference (step 1) or the one before (-1): in the
    // middle of the view, cursor A on it. False when there is none.
    bool showDifference(int step);
    std::optional<std::size_t> currentDifference() const { return currentMark_; }
    // "Skillnad 2 av 7, Stift 15 Fel vid 1,50 ms: en stigande flank saknas".
    QString differenceText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A line's levels: the level at time 0 and the times it changes.
    struct Trace {
        bool initial = false;
        std::vector<double> times; // ns, ascending; the level toggles at each
    };

    void Measure();
    void Clamp();
    double PlotWidth() const;
    double Length() const;
    int RowTop(int row) const;
    bool LevelAt(const Trace& trace, double timeNs) const;
    void DrawAxis(QPainter& painter) const;
    void DrawTrace(QPainter& painter, int row, const Trace& trace, const QColor& colour,
                   bool fillHigh) const;
    void DrawDifferences(QPainter& painter) const;
    void DrawCursor(QPainter& painter, double timeNs, const QColor& colour,
                    const QString& name) const;

    std::vector<portprov::RecordedLine> lines_;
    std::vector<Trace> traces_;
    // A difference from the reference: its row, the stretch it spans and
    // what it is.
    struct Mark {
        int row;
        double from, to; // ns
        double context;  // how much time around it to show: its line's tolerance, ten times
        QString text;
    };
    std::vector<std::optional<Trace>> references_; // per row, the reference's line
    std::vector<Mark> marks_;                      // in time order
    std::optional<std::size_t> currentMark_;
    double length_ = 0.0;
    std::optional<double> triggerTime_;
    double viewStart_ = 0.0;
    double nsPerPixel_ = 1.0;
    int labelWidth_ = 160;
    int rowHeight_ = 24;
    int axisHeight_ = 28;
    std::optional<double> cursorA_;
    std::optional<double> cursorB_;
    std::optional<QPoint> pressedAt_;
    QPoint lastDrag_;
    bool dragging_ = false;
};

// A time in the unit that suits it ("250 ns", "1,5 µs", "2,496 ms", "2 s"),
// with enough decimals that times a step apart differ.
QString TimeText(double ns, double step);
