// SPDX-License-Identifier: MIT
// The read command, the write command, the control register write and the
// Enter keys, driven on the real window against recorded ports.
#include "WindowFixture.h"
#include "art/ConnectorPicture.h"

#include <QLocale>
#include <QPushButton>

class WindowCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void readShowsTheByteOnTheBitLampsOnly() {
        WindowFixture f;
        f.ports->scriptRead(888, 85);
        f.window->Command1_Click();
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("85"));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("01010101"));
        QCOMPARE(PinLamps(*f.window), kStartPins);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(888, 85)}));
        QVERIFY(f.messages.isEmpty());
    }

    void readRoundsTheAddressHalfToEven() {
        WindowFixture f;
        f.window->Text1->setText(QStringLiteral("888.5"));
        f.window->Command1_Click();
        f.window->Text1->setText(QStringLiteral("889.5"));
        f.window->Command1_Click();
        // The locale's own separator, and hexadecimal.
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
        f.window->Text1->setText(QStringLiteral(" 888,5 "));
        f.window->Command1_Click();
        f.window->Text1->setText(QStringLiteral("0x37A"));
        f.window->Command1_Click();
        QCOMPARE(f.calls(), (std::vector<Call>{Read(888, 255), Read(890, 255), Read(888, 255),
                                               Read(890, 255)}));
    }

    void readRefusesAnAddressThatIsNoPort() {
        for (const char* text : {"", "abc", "65536", "-1", "4294968184", "88 8"}) {
            WindowFixture f;
            f.window->Text1->setText(QString::fromLatin1(text));
            const QStringList before = WindowState(*f.window);
            f.window->Command1_Click();
            QCOMPARE(f.messages, QStringList{kBadAddress});
            QVERIFY2(f.calls().empty(), text);
            QCOMPARE(WindowState(*f.window), before);
        }
    }

    void writeShowsTheValueAndTheByteReadBack() {
        WindowFixture f;
        f.window->Text2->setText(QStringLiteral("255"));
        f.ports->scriptRead(888, 77);
        f.window->Command2_Click();
        QCOMPARE(f.calls(), (std::vector<Call>{Write(888, 255), Read(888, 77)}));
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("77"));
        // The lamps keep the value written, not the byte read back.
        QCOMPARE(BitLamps(*f.window), QStringLiteral("11111111"));
        QCOMPARE(PinLamps(*f.window), Pins("WRRRRRRRR WWWW WWWW BBBBBBBB"));

        f.ports->clearCalls();
        f.window->Text2->setText(QStringLiteral("0"));
        f.ports->scriptRead(888, 0);
        f.window->Command2_Click();
        QCOMPARE(f.calls(), (std::vector<Call>{Write(888, 0), Read(888, 0)}));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("00000000"));
        QCOMPARE(PinLamps(*f.window), kStartPins);
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("0"));
    }

    void writeToAnyAddressPaintsTheDataPins() {
        WindowFixture f;
        f.window->Text1->setText(QStringLiteral("513.9"));
        f.window->Text2->setText(QStringLiteral("160"));
        f.window->Command2_Click();
        // The address is rounded down; D7 and D5 are pins 9 and 7.
        QCOMPARE(f.calls(), (std::vector<Call>{Write(513, 160), Read(513, 255)}));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("10100000"));
        QCOMPARE(PinLamps(*f.window), Pins("WWWWWWRWR WWWW WWWW BBBBBBBB"));
    }

    void writeCorrectsAValueAboveTheByteTo255() {
        for (const char* text : {"300", "256", "99999999999999999999", "0x1FF"}) {
            WindowFixture f;
            f.window->Text2->setText(QString::fromLatin1(text));
            f.window->Command2_Click();
            QCOMPARE(f.window->Text2->text(), QStringLiteral("255"));
            QCOMPARE(f.calls().front(), Write(888, 255));
            QCOMPARE(BitLamps(*f.window), QStringLiteral("11111111"));
            QVERIFY(f.messages.isEmpty());
        }
    }

    void writeRoundsDownWhereTheControlRegisterRoundsHalfToEven() {
        WindowFixture f;
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
        f.window->Text2->setText(QStringLiteral("12,7"));
        f.window->Command2_Click();
        QCOMPARE(f.calls().front(), Write(888, 12));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("00001100"));

        // At 890 the write command paints 12 on pins 2 to 9, then the control
        // register write paints 13 on the bit lamps and the control pins.
        WindowFixture g;
        g.window->lblValue->setText(QStringLiteral("42"));
        g.window->Text1->setText(QStringLiteral("890"));
        g.window->Text2->setText(QStringLiteral("12.7"));
        g.window->Command2_Click();
        QCOMPARE(g.calls(), (std::vector<Call>{Write(890, 13)}));
        QCOMPARE(BitLamps(*g.window), QStringLiteral("00001101"));
        //              pin 1     5 4            14 16 17
        QCOMPARE(PinLamps(*g.window), Pins("WWWRRWWWW WWWW RWRW BBBBBBBB"));
        QCOMPARE(g.window->Label5->text(), kWriteMode);
        QCOMPARE(g.window->lblValue->text(), QStringLiteral("42"));
    }

    void writeTo890GoesThroughTheControlRegisterWithoutReadBack() {
        WindowFixture f;
        f.window->lblValue->setText(QStringLiteral("7"));
        f.window->Text1->setText(QStringLiteral("890"));
        f.window->Text2->setText(QStringLiteral("32"));
        f.window->Command2_Click();
        QCOMPARE(f.calls(), (std::vector<Call>{Write(890, 32)}));
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("7"));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("00100000"));
        QCOMPARE(f.window->Label5->text(), kReadMode);
        // Pin 7 from the data pins; pins 1, 14 and 17 red, 16 white.
        QCOMPARE(PinLamps(*f.window), Pins("RWWWWWRWW WWWW RWWR BBBBBBBB"));

        // 255.5 is 255 rounded down but 256 to the control register: the
        // box becomes "255" and 255 is written.
        WindowFixture g;
        g.window->Text1->setText(QStringLiteral("890"));
        g.window->Text2->setText(QStringLiteral("255.5"));
        g.window->Command2_Click();
        QCOMPARE(g.window->Text2->text(), QStringLiteral("255"));
        QCOMPARE(g.calls(), (std::vector<Call>{Write(890, 255)}));
    }

    void controlRegisterShowsTheControlPins() {
        struct Case {
            const char* value;
            const char* bits;
            const char* pins;
            const QString& direction;
        };
        // Pins 1, 14 and 17 are inverted at the connector, pin 16 is not.
        const Case cases[] = {
            {"0", "00000000", "RWWWWWWWW WWWW RWWR BBBBBBBB", kWriteMode},
            {"32", "00100000", "RWWWWWWWW WWWW RWWR BBBBBBBB", kReadMode},
            {"15", "00001111", "WWWWWWWWW WWWW WWRW BBBBBBBB", kWriteMode},
            {"4", "00000100", "RWWWWWWWW WWWW RWRR BBBBBBBB", kWriteMode},
            {"12.5", "00001100", "RWWWWWWWW WWWW RWRW BBBBBBBB", kWriteMode},
        };
        for (const Case& c : cases) {
            WindowFixture f;
            // The address box is not consulted.
            f.window->Text1->setText(QStringLiteral("888"));
            f.window->Text2->setText(QString::fromLatin1(c.value));
            f.window->Command3_Click();
            const auto value =
                static_cast<std::uint8_t>(QString::fromLatin1(c.bits).toInt(nullptr, 2));
            QCOMPARE(f.calls(), (std::vector<Call>{Write(890, value)}));
            QCOMPARE(BitLamps(*f.window), QString::fromLatin1(c.bits));
            QCOMPARE(PinLamps(*f.window), Pins(c.pins));
            QCOMPARE(f.window->Label5->text(), c.direction);
            QCOMPARE(f.window->lblValue->text(), QString());
        }
    }

    void controlRegisterReadsTheLocalesDecimalSeparator() {
        struct Case {
            QLocale locale;
            const char* value;
        };
        const Case cases[] = {{QLocale(QLocale::Swedish, QLocale::Sweden), "12,7"},
                              {QLocale(QLocale::English, QLocale::UnitedStates), "12.7"}};
        for (const Case& c : cases) {
            QLocale::setDefault(c.locale);
            WindowFixture f;
            f.window->Text2->setText(QString::fromLatin1(c.value));
            f.window->Command3_Click();
            QVERIFY2(f.messages.isEmpty(), c.value);
            QCOMPARE(f.calls(), (std::vector<Call>{Write(890, 13)}));
            QCOMPARE(BitLamps(*f.window), QStringLiteral("00001101"));
        }
    }

    void controlRegisterCorrectsValuesBeyondSixteenBits() {
        for (const char* text : {"40000", "70000", "1000000000000"}) {
            WindowFixture f;
            f.window->Text2->setText(QString::fromLatin1(text));
            f.window->Command3_Click();
            QCOMPARE(f.window->Text2->text(), QStringLiteral("255"));
            QCOMPARE(f.calls(), (std::vector<Call>{Write(890, 255)}));
            QVERIFY(f.messages.isEmpty());
        }
    }

    void badValuesAreRefusedBeforeAnythingChanges() {
        struct Case {
            const char* value;
            const char* address;
            const QString& message;
        };
        const Case cases[] = {
            {"", "888", kEmptyValue},      {"-1", "888", kBadValue},    {"-128", "888", kBadValue},
            {"-100000", "890", kBadValue}, {"abc", "888", kBadValue},   {"12,7", "888", kBadValue},
            {"5", "", kBadAddress},        {"5", "70000", kBadAddress}, {"5", "-3", kBadAddress},
            {"5", "x", kBadAddress},
        };
        for (const Case& c : cases) {
            WindowFixture f;
            f.window->Text1->setText(QString::fromLatin1(c.address));
            f.window->Text2->setText(QString::fromLatin1(c.value));
            const QStringList before = WindowState(*f.window);
            f.window->Command2_Click();
            QCOMPARE(f.messages, QStringList{c.message});
            QCOMPARE(WindowState(*f.window), before);
            QVERIFY(f.calls().empty());
        }
        for (const char* value : {"", "-1", "-300", "abc"}) {
            WindowFixture f;
            f.window->Text2->setText(QString::fromLatin1(value));
            const QStringList before = WindowState(*f.window);
            f.window->Command3_Click();
            QCOMPARE(f.messages.size(), 1);
            QCOMPARE(f.messages.front(), *value == '\0' ? kEmptyValue : kBadValue);
            QCOMPARE(WindowState(*f.window), before);
            QVERIFY(f.calls().empty());
        }
    }

    void enterInTheAddressBoxMovesOnEnterInTheValueBoxWrites() {
        WindowFixture f;
        QVERIFY(f.showActive());
        f.window->Text1->setFocus();
        f.window->Text1->selectAll();
        QTest::keyClicks(f.window->Text1, QStringLiteral("889"));
        QTest::keyClick(f.window->Text1, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.window->Text2);
        QVERIFY(f.calls().empty());

        // The value box's text is selected: what is typed replaces it.
        QTest::keyClicks(f.window->Text2, QStringLiteral("255"));
        QVERIFY(f.calls().empty());
        QTest::keyClick(f.window->Text2, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f.calls(), (std::vector<Call>{Write(889, 255), Read(889, 255)}));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("11111111"));

        // Again: 85, not "25585" cut to 255.
        QTest::keyClick(f.window->Text1, Qt::Key_Return);
        QTest::keyClicks(f.window->Text2, QStringLiteral("85"));
        QTest::keyClick(f.window->Text2, Qt::Key_Return);
        QCOMPARE(f.calls().back(), Read(889, 255));
        QCOMPARE(f.calls().at(2), Write(889, 85));
    }

    void enterOrSpaceOnTheFocusedButtonClicksIt() {
        WindowFixture f;
        QVERIFY(f.showActive());
        // The focus starts on the read button: Enter at once reads.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(f.calls(), (std::vector<Call>{Read(888, 255)}));

        f.window->Command2->setFocus();
        QTest::keyClick(f.window->Command2, Qt::Key_Enter, Qt::KeypadModifier);
        f.window->Command3->setFocus();
        QTest::keyClick(f.window->Command3, Qt::Key_Space);
        QCOMPARE(f.calls(),
                 (std::vector<Call>{Read(888, 255), Write(888, 0), Read(888, 255), Write(890, 0)}));

        // A held key clicks once; Enter elsewhere clicks no button.
        f.ports->clearCalls();
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                           true);
        QApplication::sendEvent(f.window->Command3, &repeated);
        f.window->Picture1->setFocus();
        QTest::keyClick(f.window->Picture1, Qt::Key_Return);
        QTest::keyClick(f.window.get(), Qt::Key_Return);
        QVERIFY(f.calls().empty());
    }

    void buttonsRunTheirCommands() {
        WindowFixture f;
        QVERIFY(f.showActive());
        QTest::mouseClick(f.window->Command1, Qt::LeftButton);
        QTest::mouseClick(f.window->Command2, Qt::LeftButton);
        QTest::mouseClick(f.window->Command3, Qt::LeftButton);
        QCOMPARE(f.calls(),
                 (std::vector<Call>{Read(888, 255), Write(888, 0), Read(888, 255), Write(890, 0)}));
    }
};

QTEST_MAIN(WindowCommandsTest)
#include "WindowCommandsTest.moc"
