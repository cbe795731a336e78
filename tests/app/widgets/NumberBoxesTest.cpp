// SPDX-License-Identifier: MIT
// The dialogs' number boxes read "," and "." alike under a Swedish locale,
// and a text they cannot read stays as typed, marked, and stops Starta with
// a message naming the box.
#include "WindowFixture.h"
#include "generator/GeneratorDialog.h"
#include "recording/RecordingDialog.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

QDialog* OpenDialog(WindowFixture& f, const QString& which) {
    if (which == "generator") {
        f.window->mnuGenerator->trigger();
        return f.window->KeptDialog<GeneratorDialog>();
    }
    f.window->mnuRecord->trigger();
    auto* recording = f.window->KeptDialog<RecordingDialog>();
    // Every box taking input.
    recording->chkWrite->setChecked(true);
    recording->optRate->setChecked(true);
    return recording;
}

double ValueOf(const QAbstractSpinBox* box) {
    if (const auto* decimal = qobject_cast<const QDoubleSpinBox*>(box))
        return decimal->value();
    return qobject_cast<const QSpinBox*>(box)->value();
}

} // namespace

class NumberBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden)); }

    void boxesReadWhatIsTyped_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("value");   // read
        QTest::addColumn<QString>("refusal"); // or refused
        QTest::newRow("generator's length, a point") << "generator" << "spnSeconds" << "0.5" << 0.5
                                                    << "";
        QTest::newRow("generator's length, a comma") << "generator" << "spnSeconds" << "0,25"
                                                    << 0.25 << "";
        QTest::newRow("duty, a point") << "generator" << "spnDuty" << "12.5" << 12.5 << "";
        QTest::newRow("recorder's time, a point") << "recording" << "spnSeconds" << "0.5" << 0.5
                                                 << "";
        QTest::newRow("rate, thousands apart") << "recording" << "spnRate" << "20 000" << 20e3
                                              << "";
        QTest::newRow("two decimal signs")
            << "generator" << "spnSeconds" << "0.5.1" << 0.0
            << "Längd i sekunder: ”0.5.1 s” går inte att läsa. Skriv ett tal från 0,001 till "
               "86\u00a0400.";
        QTest::newRow("decimals in a whole box")
            << "generator" << "spnSquareHz" << "10.5" << 0.0
            << "Frekvens: ”10.5 Hz” går inte att läsa. Skriv ett tal från 1 till 100\u00a0000.";
        QTest::newRow("more decimals than the box keeps")
            << "recording" << "spnSeconds" << "0.0005" << 0.0
            << "Tid i sekunder: ”0.0005 s” går inte att läsa. Skriv ett tal från 0,001 till "
               "600.";
        QTest::newRow("a word") << "recording" << "spnWriteValue" << "tolv" << 0.0
                                << "Värde att skriva först: ”tolv” går inte att läsa. Skriv ett "
                                   "tal från 0 till 255.";
    }

    void boxesReadWhatIsTyped() {
        QFETCH(QString, dialog);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(double, value);
        QFETCH(QString, refusal);
        WindowFixture f;
        QDialog* d = OpenDialog(f, dialog);
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        auto* spin = d->findChild<QAbstractSpinBox*>(box);
        auto* start = d->findChild<QPushButton*>(QStringLiteral("cmdStart"));
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, typed);
        const QString shown = spin->text();
        start->setFocus();
        if (refusal.isEmpty()) {
            QVERIFY2(spin->hasAcceptableInput(), qPrintable(shown));
            QCOMPARE(ValueOf(spin), value);
            QVERIFY(!spin->property("unreadable").toBool());
            return;
        }
        // Left for another control, the text stays as typed, marked.
        QVERIFY2(spin->text().startsWith(typed), qPrintable(spin->text()));
        QVERIFY(spin->property("unreadable").toBool());
        start->click();
        QCOMPARE(f.messages, QStringList{refusal});
        QVERIFY(start->isEnabled());
        QVERIFY(spin->text().startsWith(typed));
        // Mended, the mark goes.
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("1"));
        QVERIFY(!spin->property("unreadable").toBool());
    }
};

QTEST_MAIN(NumberBoxesTest)
#include "NumberBoxesTest.moc"
