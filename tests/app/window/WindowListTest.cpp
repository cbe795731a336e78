// SPDX-License-Identifier: MIT
// Choosing an address in the list: the entry becomes the active address and
// is read at once.
#include "WindowFixture.h"

class WindowListTest : public QObject {
    Q_OBJECT

    static void choose(frmPortCom& window, int row) { window.List1->setCurrentRow(row); }

private slots:
    void dataRegisterShowsOnTheDataPins() {
        WindowFixture f;
        f.window->Text1->setText(QStringLiteral("513"));
        f.ports->scriptRead(888, 5);
        choose(*f.window, 0);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(888, 5)}));
        QCOMPARE(f.window->Text1->text(), QStringLiteral("888"));
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("5"));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("00000101"));
        QCOMPARE(PinLamps(*f.window), Pins("WRWRWWWWW WWWW WWWW BBBBBBBB"));
        QCOMPARE(f.window->Label5->text(), kWriteMode);
    }

    void statusRegisterShowsItsInvertedAndUnusedBits() {
        WindowFixture f;
        f.ports->scriptRead(889, 120); // 01111000
        choose(*f.window, 1);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(889, 120)}));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("01111000"));
        QCOMPARE(PinLamps(*f.window), Pins("WWWWWRRRR WWWW WWWW BBBBBBBB"));
        // Chosen by its place in the list, whatever the control register holds.
        QCOMPARE(f.window->Label5->text(), kReadMode);

        // First every data pin red, so that each white below is a change.
        f.window->Text2->setText(QStringLiteral("255"));
        f.window->Command2_Click();
        choose(*f.window, 4);          // away from "889", to choose it again
        f.ports->scriptRead(889, 135); // 10000111
        choose(*f.window, 1);
        QCOMPARE(BitLamps(*f.window), QStringLiteral("10000111"));
        QCOMPARE(PinLamps(*f.window), Pins("WWWWRWWWW WWWW WWWW BBBBBBBB"));
    }

    void otherAddressesLeaveTheDataPinsAlone() {
        WindowFixture f;
        f.window->Text2->setText(QStringLiteral("170")); // 10101010 on pins 9 to 2
        f.window->Command2_Click();
        const QString pinsBefore = PinLamps(*f.window);
        f.ports->clearCalls();
        f.ports->scriptRead(513, 15);
        choose(*f.window, 12);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(513, 15)}));
        QCOMPARE(f.window->Text1->text(), QStringLiteral("513"));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("00001111"));
        QCOMPARE(PinLamps(*f.window), pinsBefore);

        f.ports->scriptRead(890, 0);
        choose(*f.window, 2);
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("0"));
        QCOMPARE(PinLamps(*f.window), pinsBefore);
        QCOMPARE(f.window->Label5->text(), kWriteMode);
    }

    void blankEntriesDoNothing() {
        WindowFixture f;
        f.window->Text1->setText(QStringLiteral("1234"));
        for (const int row : {3, 7, 11}) {
            const QStringList before = WindowState(*f.window);
            choose(*f.window, row);
            QCOMPARE(WindowState(*f.window).mid(0, 6), before.mid(0, 6));
        }
        QVERIFY(f.calls().empty());
        QVERIFY(f.messages.isEmpty());
    }

    void everyEntryReadsItsOwnAddressOnce() {
        WindowFixture f;
        std::vector<Call> expected;
        for (int row = 0; row < f.window->List1->count(); ++row) {
            const QString entry = f.window->List1->item(row)->text();
            choose(*f.window, row);
            if (!entry.isEmpty())
                expected.push_back(Read(static_cast<std::uint16_t>(entry.toUInt()), 255));
        }
        QCOMPARE(f.calls(), expected);
        QCOMPARE(expected.size(), std::size_t{17});
    }

    // A port the computer reports (a PCI Express card at 0xD010) is added
    // after a blank entry; its data and status registers show on the pins as
    // 888 and 889 do, and nothing else of the list changes.
    void reportedPortJoinsTheListAfterTheUsualOnes() {
        WindowFixture f;
        QStringList fixed;
        for (int row = 0; row < f.window->List1->count(); ++row)
            fixed << f.window->List1->item(row)->text();
        f.window->setReportedParallelPorts({632, 0xD010, 888});
        QStringList entries;
        for (int row = 0; row < f.window->List1->count(); ++row)
            entries << f.window->List1->item(row)->text();
        const QStringList added{"", "53264", "53265", "53266"};
        QCOMPARE(entries, fixed + added);
        QVERIFY(f.calls().empty());

        f.ports->scriptRead(0xD010, 5);
        choose(*f.window, 21);
        QCOMPARE(f.window->Text1->text(), QStringLiteral("53264"));
        QCOMPARE(PinLamps(*f.window), Pins("WRWRWWWWW WWWW WWWW BBBBBBBB"));
        f.ports->scriptRead(0xD011, 135); // 10000111
        choose(*f.window, 22);
        QCOMPARE(PinLamps(*f.window), Pins("WWWWRWWWW WWWW WWWW BBBBBBBB"));
        // Only the entry "889" tells the direction.
        QCOMPARE(f.window->Label5->text(), kWriteMode);
        f.ports->scriptRead(0xD012, 0);
        choose(*f.window, 23);
        QCOMPARE(PinLamps(*f.window), Pins("WWWWRWWWW WWWW WWWW BBBBBBBB"));
        // A reported port at a usual base shows its data pins too; 956, not
        // reported, leaves the lamps of its 1 bits alone (a floating bus
        // would light them all), though --read names its pins.
        f.ports->scriptRead(632, 0);
        choose(*f.window, 4);
        QCOMPARE(PinLamps(*f.window), Pins("WWWWWWWWW WWWW WWWW BBBBBBBB"));
        f.ports->scriptRead(956, 255);
        choose(*f.window, 8);
        QCOMPARE(PinLamps(*f.window), Pins("WWWWWWWWW WWWW WWWW BBBBBBBB"));
        f.ports->clearCalls();
        choose(*f.window, 20);
        QVERIFY(f.calls().empty());

        f.window->setReportedParallelPorts({});
        QCOMPARE(f.window->List1->count(), fixed.size());
    }

    void keyboardAndMouseChooseTabbingInDoesNot() {
        WindowFixture f;
        QVERIFY(f.showActive());
        f.window->Text2->setFocus();
        QTest::keyClick(f.window->Text2, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.window->List1);
        QVERIFY(f.calls().empty());
        QVERIFY(f.window->List1->selectedItems().isEmpty());

        // Down from nothing chosen chooses the first entry, not the second.
        QTest::keyClick(f.window->List1, Qt::Key_Down);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(888, 255)}));
        QCOMPARE(f.window->List1->selectedItems().value(0)->text(), QStringLiteral("888"));
        QTest::keyClick(f.window->List1, Qt::Key_Down);
        QCOMPARE(f.calls().back(), Read(889, 255));

        const QRect entry = f.window->List1->visualItemRect(f.window->List1->item(0));
        QTest::mouseClick(f.window->List1->viewport(), Qt::LeftButton, {}, entry.center());
        QCOMPARE(f.calls().back(), Read(888, 255));
        QCOMPARE(f.calls().size(), std::size_t{3});
    }
};

QTEST_MAIN(WindowListTest)
#include "WindowListTest.moc"
