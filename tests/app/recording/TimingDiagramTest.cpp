// SPDX-License-Identifier: MIT
// The timing diagram: where a time is drawn under zoom and pan, and what the
// cursors read.
#include "recording/TimingDiagram.h"
#include "recording/RecordedLines.h"

#include <QTest>

#include <functional>

namespace {

using std::chrono::nanoseconds;

// 888 for 10 µs: D0 high from 1 µs to 3 µs, D1 high from 2 µs on.
portprov::Recording DataRecording() {
    portprov::Recording recording;
    recording.ports = {888};
    recording.initial = {0};
    recording.changes = {
        {nanoseconds(1000), 0, 1}, {nanoseconds(2000), 0, 3}, {nanoseconds(3000), 0, 2}};
    recording.length = nanoseconds(10'000);
    return recording;
}

// A diagram whose plot is 1000 pixels wide: 10 ns a pixel, the whole in view.
void ShowWide(TimingDiagram& diagram, const portprov::Recording& recording) {
    const std::uint16_t port = recording.ports.front();
    diagram.setRecording(recording, portprov::LinesOf(std::span(&port, 1)));
    diagram.show();
    diagram.resize(static_cast<int>(diagram.plotLeft()) + 8 + 1000, 500);
}

QPoint At(const TimingDiagram& diagram, double timeNs) {
    return {static_cast<int>(std::lround(diagram.xOf(timeNs))), 100};
}

} // namespace

class TimingDiagramTest : public QObject {
    Q_OBJECT

private slots:
    void timeAndXFollowZoomAndPan() {
        struct Case {
            const char* name;
            std::function<void(TimingDiagram&)> act;
            double viewStart;
            double nsPerPixel;
        };
        const Case cases[] = {
            {"whole", [](TimingDiagram&) {}, 0, 10},
            {"zoom keeps the time under the mouse",
             [](TimingDiagram& d) { d.zoomAt(d.plotLeft() + 500, 2); }, 2500, 5},
            {"pan after zoom", [](TimingDiagram& d) { d.zoomAt(d.plotLeft(), 2), d.panBy(100); },
             500, 5},
            {"pan stops at the end",
             [](TimingDiagram& d) { d.zoomAt(d.plotLeft(), 2), d.panBy(10'000); }, 5000, 5},
            {"pan stops at the start",
             [](TimingDiagram& d) { d.zoomAt(d.plotLeft() + 500, 2), d.panBy(-10'000); }, 0, 5},
            {"no farther out than the whole",
             [](TimingDiagram& d) { d.zoomAt(d.plotLeft() + 500, 0.25); }, 0, 10},
            {"no nearer than 20 pixels a ns", [](TimingDiagram& d) { d.zoomAt(d.plotLeft(), 1e6); },
             0, 0.05},
            {"wheel up zooms in at the mouse",
             [](TimingDiagram& d) {
                 QWheelEvent wheel(QPointF(d.plotLeft() + 500, 100), QPointF(), QPoint(),
                                   QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                                   false);
                 QCoreApplication::sendEvent(&d, &wheel);
             },
             5000 - 500 * 8, 8},
            {"+ zooms in at the middle, the arrow pans an eighth",
             [](TimingDiagram& d) {
                 QTest::keyClick(&d, Qt::Key_Plus);
                 QTest::keyClick(&d, Qt::Key_Right);
             },
             2500 + 125 * 5, 5},
            {"dragging right brings earlier times",
             [](TimingDiagram& d) {
                 d.zoomAt(d.plotLeft() + 1000, 2);
                 QTest::mousePress(&d, Qt::LeftButton, {}, QPoint(600, 100));
                 QTest::mouseMove(&d, QPoint(700, 100));
                 QTest::mouseRelease(&d, Qt::LeftButton, {}, QPoint(700, 100));
             },
             5000 - 100 * 5, 5},
            {"Home goes back to the start from near the end",
             [](TimingDiagram& d) {
                 d.zoomAt(d.plotLeft() + 1000, 8);
                 QTest::keyClick(&d, Qt::Key_Home);
             },
             0, 1.25},
        };
        for (const Case& c : cases) {
            TimingDiagram diagram;
            ShowWide(diagram, DataRecording());
            c.act(diagram);
            QVERIFY2(std::abs(diagram.viewStart() - c.viewStart) < 1e-6, c.name);
            QVERIFY2(std::abs(diagram.nsPerPixel() - c.nsPerPixel) < 1e-9, c.name);
            QCOMPARE(diagram.xOf(diagram.viewStart()), diagram.plotLeft());
            QVERIFY2(std::abs(diagram.timeAt(diagram.xOf(1234.5)) - 1234.5) < 1e-6, c.name);
            // A drag sets no cursor.
            QVERIFY2(!diagram.cursorA(), c.name);
        }
    }

    void cursorsReadTheTimeAndEveryLevel() {
        TimingDiagram diagram;
        ShowWide(diagram, DataRecording());
        QTest::mouseClick(&diagram, Qt::LeftButton, {}, At(diagram, 2500));
        QCOMPARE(diagram.cursorText(), QString::fromUtf8("A: 2,500 µs"));
        // D0 and D1 high, the rest low; each level changes at its edge.
        QCOMPARE(diagram.levelsAt(*diagram.cursorA()),
                 (std::vector<bool>{true, true, false, false, false, false, false, false}));
        QCOMPARE(diagram.levelsAt(999).front(), false);
        QCOMPARE(diagram.levelsAt(1000).front(), true);
        QCOMPARE(diagram.levelsAt(3000).front(), false);

        QTest::mouseClick(&diagram, Qt::LeftButton, Qt::ShiftModifier, At(diagram, 3500));
        QCOMPARE(diagram.cursorText(),
                 QString::fromUtf8("A: 2,500 µs\nB: 3,500 µs\nB − A: 1,000 µs"));
        QTest::mouseClick(&diagram, Qt::RightButton, {}, At(diagram, 1500));
        QCOMPARE(diagram.cursorText(),
                 QString::fromUtf8("A: 2,500 µs\nB: 1,500 µs\nB − A: −1,000 µs"));
        // Past the end a click stands at the end.
        QTest::mouseClick(&diagram, Qt::LeftButton, {}, QPoint(diagram.width() - 1, 100));
        QCOMPARE(*diagram.cursorA(), 10'000.0);
    }

    void invertedLinesAreDrawnAtTheirConnectorLevel() {
        portprov::Recording recording;
        recording.ports = {890};
        recording.initial = {0};
        recording.changes = {{nanoseconds(1000), 0, 1}};
        recording.length = nanoseconds(2000);
        TimingDiagram diagram;
        ShowWide(diagram, recording);
        // Pins 1, 14, 16, 17: strobe, auto feed and select in are inverted.
        QCOMPARE(diagram.levelsAt(0), (std::vector<bool>{true, true, false, true}));
        QCOMPARE(diagram.levelsAt(1000), (std::vector<bool>{false, true, false, true}));
    }

    void axisTextsSuitTheirStep() {
        const struct {
            double ns, step;
            const char* text;
        } cases[] = {
            {0, 5000, "0 µs"},
            {1500, 500, "1,5 µs"},
            {2e6, 2e5, "2,0 ms"},
            {3e9, 1e9, "3 s"},
            {0.5, 0.1, "0,5 ns"},
            {25'000, 5000, "25 µs"},
            {2'496'000, 1000, "2,496 ms"},
        };
        for (const auto& c : cases)
            QCOMPARE(TimeText(c.ns, c.step), QString::fromUtf8(c.text));
    }
};

QTEST_MAIN(TimingDiagramTest)
#include "TimingDiagramTest.moc"
