// SPDX-License-Identifier: MIT
// Verktyg → Styrspak…: the dialog reads the simulated PC's joysticks through
// the recorder and shows them on their squares, with or without calibration.
#include "joystick/JoystickDialog.h"
#include "WindowFixture.h"
#include "ports/simulated/SimulatedPc.h"

#include <QAction>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <atomic>
#include <cmath>

namespace {

// Within 3 % on both axes: a tick that lost the processor mid-recording
// reads late, the next one does not.
bool Near(const StickSquare* stick, double x, double y) {
    const std::optional<QPointF> at = stick->position();
    return at && std::abs(at->x() - x) < 3.0 && std::abs(at->y() - y) < 3.0;
}

JoystickDialog* OpenDialog(WindowFixture& f) {
    f.window->mnuJoystick->trigger();
    return f.window->findChild<JoystickDialog*>();
}

} // namespace

class JoystickDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsStickAAtItsCornerAndBAtItsCentre() {
        // Swedish numbers whatever the locale: "1 124,2 µs", not "1124.2 µs".
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        WindowFixture f;
        auto pc = std::make_shared<portprov::SimulatedPc>();
        pc->setJoystickA(0, 100);
        f.useBackend(pc);
        JoystickDialog* dialog = OpenDialog(f);
        QVERIFY(dialog);
        // X 0 % at the left edge, Y 100 % at the bottom.
        QTRY_VERIFY(Near(dialog->picStickA, 0.0, 100.0));
        QTRY_VERIFY(Near(dialog->picStickB, 50.0, 50.0));
        QVERIFY(dialog->lblAxis[1]->text().contains(
            QRegularExpression(QString::fromUtf8("^A Y: 1\u00A01\\d\\d,\\d µs$"))));
        QCOMPARE(dialog->lblButton[0]->text(), QStringLiteral("A1: uppe"));
        QVERIFY(f.messages.isEmpty());
        QLocale::setDefault(QLocale::c());
    }

    void calibrationMapsTheSeenExtremesToTheEdges() {
        WindowFixture f;
        // Time moves 100 ns a look at the clock, for the simulated PC's axis
        // timers and the recorder alike: a reading that lost the processor
        // half way can no longer widen the extremes.
        const auto ticks = std::make_shared<std::atomic<std::int64_t>>(0);
        const portprov::Recorder::Clock driven = [ticks] {
            return std::chrono::nanoseconds(ticks->fetch_add(100));
        };
        auto pc = std::make_shared<portprov::SimulatedPc>(driven);
        f.useBackend(pc);
        JoystickDialog* dialog = OpenDialog(f);
        QVERIFY(dialog);
        dialog->tmrPoll->stop();
        dialog->useClock(driven);
        dialog->cmdCalibrate->click();
        QVERIFY(dialog->calibrating());
        for (const auto& [x, y] : {std::pair{20.0, 30.0}, std::pair{80.0, 70.0}}) {
            pc->setJoystickA(x, y);
            dialog->tmrPoll_Timer();
        }
        pc->setJoystickA(40, 60);
        dialog->cmdCalibrate->click();
        QVERIFY(!dialog->calibrating());

        // The extremes seen are the edges, the centre taken the middle.
        const auto readsAt = [&](double x, double y) {
            dialog->tmrPoll_Timer();
            return Near(dialog->picStickA, x, y);
        };
        pc->setJoystickA(80, 30);
        QTRY_VERIFY(readsAt(100.0, 0.0));
        pc->setJoystickA(40, 60);
        QTRY_VERIFY(readsAt(50.0, 50.0));
    }

    void aFailedAccessStopsThePollingWithOneMessage() {
        WindowFixture f;
        f.ports->failWith("Ingen behörighet till portarna: kör som root.",
                          portprov::PortErrorKind::NotPermitted);
        JoystickDialog* dialog = OpenDialog(f);
        QVERIFY(dialog);
        QTRY_COMPARE(f.messages.size(), 1);
        QVERIFY(!dialog->tmrPoll->isActive());
        QTest::qWait(500);
        QCOMPARE(f.messages.size(), 1);
    }
};

QTEST_MAIN(JoystickDialogTest)
#include "JoystickDialogTest.moc"
