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

// Within 3 % on both axes.
bool Near(const StickSquare* stick, double x, double y) {
    const std::optional<QPointF> at = stick->position();
    return at && std::abs(at->x() - x) < 3.0 && std::abs(at->y() - y) < 3.0;
}

// Time moves 100 ns a look at the clock, for the simulated PC's axis timers
// and the recorder alike: a reading that loses the processor half way reads
// the same as one that does not, however busy the machine.
portprov::Recorder::Clock DrivenClock() {
    const auto ticks = std::make_shared<std::atomic<std::int64_t>>(0);
    return [ticks] { return std::chrono::nanoseconds(ticks->fetch_add(100)); };
}

// The dialog on the clock of its simulated PC, read only when the test says.
JoystickDialog* OpenDialog(WindowFixture& f, const portprov::Recorder::Clock& clock = {}) {
    f.window->mnuJoystick->trigger();
    auto* dialog = f.window->findChild<JoystickDialog*>();
    if (dialog && clock) {
        dialog->tmrPoll->stop();
        dialog->useClock(clock);
    }
    return dialog;
}

} // namespace

class JoystickDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsStickAAtItsCornerAndBAtItsCentre() {
        // Swedish numbers whatever the locale: "1 124,2 µs", not "1124.2 µs".
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        WindowFixture f;
        const portprov::Recorder::Clock clock = DrivenClock();
        auto pc = std::make_shared<portprov::SimulatedPc>(clock);
        pc->setJoystickA(0, 100);
        f.useBackend(pc);
        JoystickDialog* dialog = OpenDialog(f, clock);
        QVERIFY(dialog);
        dialog->tmrPoll_Timer();
        // X 0 % at the left edge, Y 100 % at the bottom.
        QVERIFY(Near(dialog->picStickA, 0.0, 100.0));
        QVERIFY(Near(dialog->picStickB, 50.0, 50.0));
        QVERIFY(dialog->lblAxis[1]->text().contains(
            QRegularExpression(QString::fromUtf8("^A Y: 1\u00A01\\d\\d,\\d µs$"))));
        QCOMPARE(dialog->lblButton[0]->text(), QString::fromUtf8("A1: släppt"));
        QVERIFY(f.messages.isEmpty());
        QLocale::setDefault(QLocale::c());
    }

    void calibrationMapsTheSeenExtremesToTheEdges() {
        WindowFixture f;
        const portprov::Recorder::Clock clock = DrivenClock();
        auto pc = std::make_shared<portprov::SimulatedPc>(clock);
        f.useBackend(pc);
        JoystickDialog* dialog = OpenDialog(f, clock);
        QVERIFY(dialog);
        const auto moveBoth = [&](double x, double y) {
            pc->setJoystickA(x, y);
            pc->setJoystickB(x, y);
        };
        // Mitten at once, then with only A moved: refused, naming the axes
        // that still have to move.
        dialog->cmdCalibrate->click();
        dialog->cmdCalibrate->click();
        QVERIFY(dialog->calibrating());
        QVERIFY(dialog->lblHint->text().contains(QStringLiteral("A X, A Y, B X och B Y har inte")));
        for (const auto& [x, y] : {std::pair{20.0, 30.0}, std::pair{80.0, 70.0}}) {
            pc->setJoystickA(x, y);
            dialog->tmrPoll_Timer();
        }
        pc->setJoystickA(40, 60);
        dialog->cmdCalibrate->click();
        QVERIFY(dialog->calibrating());
        QVERIFY(dialog->lblHint->text().contains(QStringLiteral(": B X och B Y har inte")));
        for (const auto& [x, y] : {std::pair{20.0, 30.0}, std::pair{80.0, 70.0}}) {
            moveBoth(x, y);
            dialog->tmrPoll_Timer();
        }
        moveBoth(40, 60);
        dialog->cmdCalibrate->click();
        QVERIFY(!dialog->calibrating());

        // The extremes seen are the edges, the centre taken the middle.
        moveBoth(80, 30);
        dialog->tmrPoll_Timer();
        QVERIFY(Near(dialog->picStickA, 100.0, 0.0));
        QVERIFY(Near(dialog->picStickB, 100.0, 0.0));
        moveBoth(40, 60);
        dialog->tmrPoll_Timer();
        QVERIFY(Near(dialog->picStickA, 50.0, 50.0));
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
