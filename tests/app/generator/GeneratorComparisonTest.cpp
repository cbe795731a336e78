// SPDX-License-Identifier: MIT
// The signal generator's comparison with a good board's recording, and the
// timing diagram's marks of the differences.
#include "GeneratorFixture.h"
#include "recording/RecordingDialog.h"
#include "recording/TimingDiagram.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

class GeneratorComparisonTest : public QObject {
    Q_OBJECT

private slots:
    void theResponseIsComparedWithAGoodBoardsAndTheDifferencesAreMarked() {
        WindowFixture f;
        auto pc = PcWithDataPlug(f);
        QTemporaryDir folder;
        // A good board: Fel follows D0, ten pulses of 0,5 ms at 1 kHz.
        const QString name = folder.filePath(QStringLiteral("bra.csv"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray rows = "tid_s,stift15_fel\n0,0\n";
        for (int k = 0; k < 10; ++k)
            rows += QByteArray::number(k * 0.001, 'f', 4) + ",1\n" +
                    QByteArray::number(k * 0.001 + 0.0005, 'f', 4) + ",0\n";
        file.write(rows + "0.0100,0\n");
        file.close();
        GeneratorDialog* d = OpenDialog(f);
        d->setClock(DrivenClock());
        d->setOpenFileChooser([&](QWidget*, const QString&, const QString&) { return name; });
        ListItem(d, 2)->setCheckState(Qt::Checked);
        d->cboWave->setCurrentIndex(1);
        d->spnCount->setValue(10);
        d->spnPulseHz->setValue(1000);
        d->cmdCompare->click();
        QVERIFY(d->chkRecord->isChecked() && d->cmdNoCompare->isEnabled());
        QVERIFY(d->lblReference->text().contains(QStringLiteral("bra.csv (1 ledning)")));
        // Its lines must be among those recorded, or nothing runs.
        d->chkRecStatus->setChecked(false);
        d->chkRecData->setChecked(true);
        d->cmdStart->click();
        QVERIFY(!d->running());
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.takeFirst().contains(QStringLiteral("stift15_fel, som inspelningen")));
        d->chkRecStatus->setChecked(true);

        const auto verdictsShown = [&] {
            QStringList verdicts;
            for (int i = 0; i < d->lstVerdicts->count(); ++i)
                verdicts << d->lstVerdicts->item(i)->text();
            return verdicts;
        };
        d->cmdStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d->running(), 20'000);
        QStringList verdicts = verdictsShown();
        QCOMPARE(verdicts.size(), 2);
        QVERIFY2(verdicts[0].startsWith(QString::fromUtf8("stift15_fel (Stift 15 Fel): stämmer, "
                                                          "20 flanker")),
                 qPrintable(verdicts[0]));
        auto* recording = f.window->KeptDialog<RecordingDialog>();
        QVERIFY(recording->fraDifferences->isVisibleTo(recording));
        QCOMPARE(recording->diagram->differenceCount(), 0u);

        // Pin 15 stuck low: every edge is missing, each marked, Nästa goes
        // from one to the next, cursor A on it.
        pc->addFault({15, portprov::PinFault::Kind::StuckLow, 0});
        d->cmdStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d->running(), 20'000);
        verdicts = verdictsShown();
        QVERIFY2(verdicts[0].contains(QString::fromUtf8("skiljer sig, 20 skillnader; först vid "
                                                        "0 ns: en stigande flank saknas")),
                 qPrintable(verdicts[0]));
        QVERIFY(verdicts[1].endsWith(QString::fromUtf8("1 av 1 ledning skiljer sig.")));
        QCOMPARE(recording->diagram->differenceCount(), 20u);
        recording->cmdNextDifference->click();
        recording->cmdNextDifference->click();
        QCOMPARE(recording->diagram->cursorA(), std::optional<double>(0.5e6));
        QVERIFY(recording->lblDifference->text().startsWith(
            QString::fromUtf8("Skillnad 2 av 20: Stift 15 Fel vid 500,0 µs: en fallande")));
        recording->cmdPrevDifference->click();
        QCOMPARE(recording->diagram->cursorA(), std::optional<double>(0.0));
        // The comparison as a page for the customer, its names as text.
        const QString report = folder.filePath(QStringLiteral("rapport.html"));
        d->setReportFileChooser([&](QWidget*, const QString&, const QString&) { return report; });
        QVERIFY(d->cmdReport->isEnabled());
        d->cmdReport->click();
        QFile page(report);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains(QStringLiteral("bra.csv")) && html.contains(QStringLiteral("<svg")));
        QCOMPARE(html.count(QStringLiteral("class=\"skillnad\"")), 20);
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join('\n')));
    }
};

QTEST_MAIN(GeneratorComparisonTest)
#include "GeneratorComparisonTest.moc"
