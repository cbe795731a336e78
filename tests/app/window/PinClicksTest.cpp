// SPDX-License-Identifier: MIT
// Clicking a pin of the connector drawing sets that one line of the port.
#include "WindowFixture.h"

#include "art/ConnectorPicture.h"
#include "ports/simulated/SimulatedPc.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QHelpEvent>
#include <QTimer>
#include <QToolTip>

// The tooltip a pin's lamp shows when the mouse rests on it.
QString ToolTipOf(WindowFixture& f, int pin) {
    QLabel* lamp = f.window->Lpt[pin];
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), lamp->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(lamp, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

class PinClicksTest : public QObject {
    Q_OBJECT

private slots:
    // Each output pin, clicked twice on the simulated PC: the register goes
    // to the flipped value and back, and the pin's lamp shows the level at the
    // pin, which the port's inverters on 1, 14 and 17 turn round. 890 reads
    // bits 6 and 7 as 1, as many ports do, so they come back with the write.
    void everyOutputPinTurnsItsLineRound_data() {
        QTest::addColumn<int>("pin");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("flipped");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<QChar>("lamp");
        for (int bit = 0; bit < 8; ++bit)
            QTest::addRow("D%d", bit) << bit + 2 << 888 << (1 << bit)
                                      << QString(8, '0').replace(7 - bit, 1, '1') << QChar('R');
        QTest::newRow("strobe") << 1 << 890 << 0xC1 << "11000001" << QChar('W');
        QTest::newRow("autofeed") << 14 << 890 << 0xC2 << "11000010" << QChar('W');
        QTest::newRow("init") << 16 << 890 << 0xC4 << "11000100" << QChar('R');
        QTest::newRow("select in") << 17 << 890 << 0xC8 << "11001000" << QChar('W');
    }
    void everyOutputPinTurnsItsLineRound() {
        QFETCH(int, pin);
        QFETCH(int, port);
        QFETCH(int, flipped);
        QFETCH(QString, bits);
        QFETCH(QChar, lamp);
        auto pc = std::make_shared<portprov::SimulatedPc>();
        WindowFixture f;
        f.useBackend(pc);
        const int before = pc->read(static_cast<std::uint16_t>(port));

        f.window->Lpt_Click(pin);
        QCOMPARE(int{pc->read(static_cast<std::uint16_t>(port))}, flipped);
        QCOMPARE(BitLamps(*f.window), bits);
        QCOMPARE(f.window->lblValue->text(), QString::number(flipped));
        QCOMPARE(f.window->Text1->text(), QString::number(port)); // the value's own address
        QCOMPARE(PinLamps(*f.window)[pin - 1], lamp);

        f.window->Lpt_Click(pin);
        QCOMPARE(int{pc->read(static_cast<std::uint16_t>(port))}, before);
        QCOMPARE(PinLamps(*f.window)[pin - 1], lamp == 'R' ? QChar('W') : QChar('R'));
        QVERIFY(f.messages.isEmpty());
    }

    void inputAndGroundPinsTouchNoPort() {
        WindowFixture f;
        const QString lamps = PinLamps(*f.window);
        for (int pin : {10, 11, 12, 13, 15, 18, 25})
            f.window->Lpt_Click(pin);
        QVERIFY(f.calls().empty());
        QCOMPARE(PinLamps(*f.window), lamps);
        QVERIFY(f.messages.isEmpty());
    }

    // With the data lines turned to input a write would reach only the latch.
    void dataPinsAreRefusedWhileTheLinesAreInputs() {
        WindowFixture f;
        f.ports->setIdleValue(890, 0x20);
        const QString lamps = PinLamps(*f.window);
        f.window->Lpt_Click(4);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(890, 0x20)}));
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].contains(QStringLiteral("bit 5 i 890")));
        QCOMPARE(PinLamps(*f.window), lamps);
        // The control pins can still be set; bit 5 stays as it was.
        f.window->Lpt_Click(16);
        QCOMPARE(f.calls().back(), Write(890, 0x24));
    }

    // The pins act on the reported port whose register the connector shows.
    void pinsActOnThePortTheConnectorShows() {
        WindowFixture f;
        f.window->setReportedParallelPorts({888, 53264});
        f.ports->setIdleValue(53266, 0);
        f.ports->setIdleValue(53264, 0);
        f.ports->setIdleValue(890, 0);
        f.window->List1->setCurrentRow(f.window->List1->count() - 2); // 53265, its status
        f.ports->clearCalls();
        f.window->Lpt_Click(9);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(53266, 0), Read(53264, 0), Write(53264, 0x80),
                                               Read(53264, 0)}));
        f.window->List1->setCurrentRow(0); // 888 again
        f.window->Lpt_Click(9);
        QCOMPARE(f.calls().end()[-2], Write(888, 0x7F)); // 888 reads 255 here
    }

    // A tooltip tells only what was shown or read, and reads no port: an
    // input pin's lamp is never painted, so it gives the level of its line
    // at the status register's last read (127: Busy, inverted, is high).
    void tooltipsTellOnlyWhatWasShownOrRead() {
        WindowFixture f;
        QVERIFY(f.showActive());
        f.ports->setIdleValue(889, 127);
        QVERIFY(ToolTipOf(f, 11).startsWith(
            QString::fromUtf8("Stift 11: Busy, ingång. Ingen nivå läst: läs 889. Stiftets lampa "
                              "färgas inte")));
        QVERIFY(ToolTipOf(f, 4).contains(QString::fromUtf8("Ingen nivå visad än.")));
        f.window->List1->setCurrentRow(1); // 889
        QVERIFY(ToolTipOf(f, 11).contains(QString::fromUtf8("889 lästes senast: hög (+5 volt).")));
        QVERIFY(ToolTipOf(f, 9).contains(QString::fromUtf8("statusregistret 889: bit 7, Busy")));
        f.window->Text2->setText(QStringLiteral("4"));
        f.window->Command2_Click(); // the data pins show the data register again
        f.ports->clearCalls();
        QVERIFY(ToolTipOf(f, 4).contains(QString::fromUtf8("Senast visad nivå: hög (+5 volt).")));
        QVERIFY(f.calls().empty());
    }

    // During continuous reading the address and value display are the
    // reading's: a click still sets its line, and tells at its pin what it
    // did and, for a data pin under the status bits, which register its lamp shows.
    void aClickDuringContinuousReadingIsToldAtItsPin() {
        auto pc = std::make_shared<portprov::SimulatedPc>();
        WindowFixture f;
        f.useBackend(pc);
        QVERIFY(f.showActive());
        f.window->List1->setCurrentRow(1); // 889
        f.window->mnuLive->trigger();
        const QStringList before = {f.window->Text1->text(), f.window->lblValue->text()};
        f.window->Lpt_Click(4);
        QCOMPARE(int{pc->read(888)}, 4);
        QTRY_VERIFY(QToolTip::text().startsWith(
            QString::fromUtf8("Stift 4, D2: nu hög (888 = 4).\nStift 4: D2, utgång. Lampan visar "
                              "statusregistret 889: bit 2, som inget stift har.")));
        QCOMPARE(PinLamps(*f.window)[3], QChar('W')); // bit 2 of 889, as the reading shows it
        f.window->Lpt_Click(1);
        QTRY_VERIFY(
            QToolTip::text().startsWith(QString::fromUtf8("Stift 1, Strobe: nu låg (890 = 193).")));
        QCOMPARE(PinLamps(*f.window)[0], QChar('W')); // no reading paints it over
        QCOMPARE((QStringList{f.window->Text1->text(), f.window->lblValue->text()}), before);
        f.window->mnuLive->trigger();
    }

    // The arrow keys along a row stop at its ends (13 is no way to 14), and
    // between the rows pin n + 13 sits just right of pin n. Every pin and
    // arrow lands on a lamp.
    void arrowKeysStayOnTheConnector() {
        WindowFixture f;
        QVERIFY(f.showActive());
        const auto* marker = f.window->Picture1->findChild<QWidget*>(QStringLiteral("PinFocus"));
        const auto move = [&](int from, Qt::Key key) {
            QTest::mouseClick(f.window->Picture1, Qt::LeftButton, {},
                              f.window->Lpt[from]->geometry().center());
            QTest::keyClick(f.window->Picture1, key);
            for (int pin = 1; pin <= 25; ++pin)
                if (f.window->Lpt[pin]->geometry().center() == marker->geometry().center())
                    return pin;
            return 0;
        };
        const std::vector<std::tuple<int, Qt::Key, int>> moves{
            {13, Qt::Key_Right, 13}, {1, Qt::Key_Left, 1},  {14, Qt::Key_Left, 14},
            {25, Qt::Key_Right, 25}, {14, Qt::Key_Up, 1},   {25, Qt::Key_Up, 12},
            {13, Qt::Key_Down, 25},  {1, Qt::Key_Down, 14}, {20, Qt::Key_Down, 20}};
        for (const auto& [from, key, to] : moves)
            QCOMPARE(move(from, key), to);
        for (int from = 1; from <= 25; ++from)
            for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
                QVERIFY(move(from, key) != 0);
    }

    void keyboardAndScreenReaderSetPinsToo() {
        auto pc = std::make_shared<portprov::SimulatedPc>();
        WindowFixture f;
        f.useBackend(pc);
        QVERIFY(f.showActive());
        f.window->Picture1->setFocus();
        // From pin 1: three to the right is pin 4; down from 4 is 17.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(f.window->Picture1, Qt::Key_Right);
        QTest::keyClick(f.window->Picture1, Qt::Key_Space);
        QCOMPARE(int{pc->read(888)}, 4);
        QTest::keyClick(f.window->Picture1, Qt::Key_Down);
        QTest::keyClick(f.window->Picture1, Qt::Key_Space);
        QCOMPARE(int{pc->read(890)}, 0xC8);

        // Beside the lamp, on its contact.
        const QPoint d0 = f.window->Lpt[2]->geometry().center() + QPoint(4, 5);
        QTest::mouseClick(f.window->Picture1, Qt::LeftButton, {}, d0);
        QCOMPARE(int{pc->read(888)}, 5);

        QAccessibleInterface* d7 = QAccessible::queryAccessibleInterface(f.window->Lpt[9]);
        d7->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(int{pc->read(888)}, 0x85);
        d7->actionInterface()->doAction(QStringLiteral("click"));
        QCOMPARE(int{pc->read(888)}, 0x05);
        QCOMPARE(QAccessible::queryAccessibleInterface(f.window->Lpt[11])->role(),
                 QAccessible::StaticText); // an input: no button
    }
};

QTEST_MAIN(PinClicksTest)
#include "PinClicksTest.moc"
