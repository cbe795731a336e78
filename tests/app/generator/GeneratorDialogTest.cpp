// SPDX-License-Identifier: MIT
// Verktyg → Signalgenerator…: pins are chosen on the drawing or in the list,
// a pulse train comes back through the data plug into the recording dialog,
// a stopped signal leaves the port as it was, and refusals come as messages.
#include "generator/GeneratorDialog.h"
#include "../recording/CutTexts.h"
#include "GeneratorFixture.h"
#include "WindowFixture.h"
#include "generator/PinPicker.h"
#include "pins/TogglePin.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/RecordingDialog.h"
#include "recording/TimingDiagram.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>

namespace {

QStringList CheckedInList(const GeneratorDialog* d) {
    QStringList checked;
    for (int row = 0; row < d->lstPins->count(); ++row) {
        if (d->lstPins->item(row)->checkState() == Qt::Checked)
            checked << d->lstPins->item(row)->text();
    }
    return checked;
}

// Rising edges of a line in the diagram, looked at every 10 µs.
int RisesIn(const TimingDiagram* diagram, std::size_t line, double lengthNs) {
    int rises = 0;
    bool level = diagram->levelsAt(0.0).at(line);
    for (double t = 10'000.0; t <= lengthNs; t += 10'000.0) {
        const bool now = diagram->levelsAt(t).at(line);
        rises += now && !level;
        level = now;
    }
    return rises;
}

// Where Tab goes from a control: the next in the chain that takes Tab.
QWidget* NextTabStop(QWidget* from) {
    QWidget* next = from->nextInFocusChain();
    while (next != from &&
           !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(from->window()) &&
             next->isEnabled() && !qobject_cast<QAbstractSpinBox*>(next->parentWidget())))
        next = next->nextInFocusChain();
    return next;
}

} // namespace

class GeneratorDialogTest : public QObject {
    Q_OBJECT

private slots:
    void drawingAndListChooseTheSameOutputPins_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("pin");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("data pin on the drawing") << "drawing" << 2 << "Stift 2 (D0)";
        QTest::newRow("strobe on the drawing") << "drawing" << 1 << "Stift 1 (Strobe)";
        QTest::newRow("data pin in the list") << "list" << 2 << "Stift 2 (D0)";
        QTest::newRow("select in by Space in the list") << "space" << 17 << "Stift 17 (Select In)";
        // Inputs and ground take no click.
        QTest::newRow("status pin on the drawing") << "drawing" << 15 << "";
        QTest::newRow("ground on the drawing") << "drawing" << 20 << "";
    }

    void drawingAndListChooseTheSameOutputPins() {
        QFETCH(QString, way);
        QFETCH(int, pin);
        QFETCH(QString, chosen);
        WindowFixture f;
        GeneratorDialog* d = OpenDialog(f);
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("Signalgenerator"));
        for (int twice = 0; twice < 2; ++twice) {
            if (way == "drawing") {
                QTest::mouseClick(d->picPins, Qt::LeftButton, {}, d->picPins->pinCentre(pin));
            } else if (way == "list") {
                ListItem(d, pin)->setCheckState(twice ? Qt::Unchecked : Qt::Checked);
            } else {
                d->lstPins->setCurrentItem(ListItem(d, pin));
                QTest::keyClick(d->lstPins, Qt::Key_Space);
            }
            // Chosen, then let go again, both ways in step.
            const QStringList expected =
                twice || chosen.isEmpty() ? QStringList{} : QStringList{chosen};
            QCOMPARE(CheckedInList(d), expected);
            QCOMPARE(d->ChosenPins(),
                     expected.isEmpty() ? std::vector<int>{} : std::vector<int>{pin});
        }
        QVERIFY(f.messages.isEmpty());
    }

    void everyControlHasASwedishNameAndTabTakesThemInTurn() {
        WindowFixture f;
        GeneratorDialog* d = OpenDialog(f);
        QStringList unnamed;
        for (QWidget* control : d->findChildren<QWidget*>()) {
            // A box's own text field is read with its box.
            const bool part = qobject_cast<QAbstractSpinBox*>(control->parentWidget()) ||
                              qobject_cast<QComboBox*>(control->parentWidget());
            if (control->focusPolicy() != Qt::NoFocus && !part &&
                control->accessibleName().isEmpty())
                unnamed << control->objectName();
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(' ')));
        QVERIFY(!d->picPins->accessibleName().isEmpty());
        // From the pins to the waveform, and Starta after the recording's boxes.
        d->chkRecord->setChecked(true);
        QCOMPARE(NextTabStop(d->lstPins), d->cboWave);
        QCOMPARE(NextTabStop(d->spnRecRate), d->cmdCompare);
    }

    void pulsesComeBackThroughThePlugIntoTheRecording() {
        WindowFixture f;
        auto pc = PcWithDataPlug(f);
        pc->write(888, 0x80); // D7 high, outside the signal: kept
        // The recording dialog opened first, and each found again by its kind.
        f.window->mnuRecord->trigger();
        auto* recording = f.window->KeptDialog<RecordingDialog>();
        GeneratorDialog* d = OpenDialog(f);
        QVERIFY(d && recording && OpenDialog(f) == d);
        d->setClock(DrivenClock());
        ListItem(d, 2)->setCheckState(Qt::Checked);
        d->cboWave->setCurrentIndex(1);
        d->spnCount->setValue(10);
        d->spnPulseHz->setValue(1000);
        d->chkRecord->setChecked(true);
        // Settings of the recording dialog's own that the signal's recording
        // does not have.
        recording->cboTrigger->setCurrentIndex(1);
        recording->chkWrite->setChecked(true);
        QCOMPARE(d->chkRecStatus->text(), QStringLiteral("Status (889)"));
        QVERIFY(d->chkRecStatus->isChecked() && !d->chkRecData->isChecked());
        d->cmdStart->click();
        QVERIFY(d->running() && d->cmdStop->isEnabled() && !d->cmdStart->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!d->running(), 20'000);
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join('\n')));
        QVERIFY(d->lblFigures->text().contains(QString::fromUtf8("Uppnådd frekvens")));
        QVERIFY(d->lblFigures->text().contains(QString::fromUtf8("Sena skrivningar")));
        QCOMPARE(d->lblStatus->text(), QString::fromUtf8("Klar. Registren är återställda."));

        QVERIFY(recording->isVisible() && recording->diagram->hasRecording());
        // Beside it the settings it was made with: 889 alone, 100 kHz, the
        // signal's 10 ms, at once, no write.
        QCOMPARE(
            QList<bool>({recording->chkData->isChecked(), recording->chkStatus->isChecked(),
                         recording->chkControl->isChecked(), recording->optRate->isChecked(),
                         recording->optSeconds->isChecked(), recording->chkWrite->isChecked()}),
            QList<bool>({false, true, false, true, true, false}));
        QCOMPARE(recording->spnRate->value(), 100'000);
        QCOMPARE(recording->spnSeconds->value(), 0.010);
        QCOMPARE(recording->cboTrigger->currentIndex(), 0);
        // The signal's figures stay above it.
        QTRY_COMPARE(QApplication::activeWindow(), d);
        f.window->mnuRecord->trigger();
        QCOMPARE(f.window->KeptDialog<RecordingDialog>(), recording);
        QCOMPARE(RisesIn(recording->diagram, kFel, 10e6), 10);
        QVERIFY(recording->findChild<QPushButton*>(QStringLiteral("cmdSaveCsv"))->isEnabled());
        // The pin lamps show the port as the signal left it, never read by
        // hand: D7 high, and control 0 leaves the inverted 1, 14 and 17 high.
        QCOMPARE(pc->read(888), 0x80);
        QCOMPARE(PinLamps(*f.window), Pins("RWWWWWWWR WWWW RWWR BBBBBBBB"));
        // The bit lamps agree: 888, the address box's, as the signal left it.
        QCOMPARE(BitLamps(*f.window), QStringLiteral("10000000"));
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("128"));
    }

    void aChosenFilePlaysBackAtItsTimes() {
        WindowFixture f;
        auto pc = PcWithDataPlug(f);
        QTemporaryDir folder;
        const QString name = folder.filePath(QStringLiteral("handslag.csv"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Two pins played, five changes after their starting levels, and
        // an input's column passed over.
        file.write("tid_s,stift2_d0,stift3_d1,stift11_busy\n0.000,1,0,0\n0.002,0,1,0\n"
                   "0.004,1,1,1\n0.006,0,0,1\n0.008,0,0,0\n");
        file.close();
        GeneratorDialog* d = OpenDialog(f);
        d->setClock(DrivenClock());
        d->setOpenFileChooser([&](QWidget*, const QString&, const QString&) { return name; });
        d->cboWave->setCurrentIndex(2);
        QVERIFY(!d->lstPins->isEnabled()); // the file names its pins
        d->cmdBrowse->click();
        QCOMPARE(d->txtFile->text(), name);
        QCOMPARE(CheckedInList(d), QStringList({"Stift 2 (D0)", "Stift 3 (D1)"}));
        QVERIFY2(CutTexts(d).isEmpty(), qPrintable(CutTexts(d).join('\n')));
        QVERIFY(d->lblFileHint->text().contains(QStringLiteral("888 eller 890")));
        d->chkRecord->setChecked(true);
        d->cmdStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d->running(), 20'000);
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join('\n')));
        const TimingDiagram* diagram = f.window->KeptDialog<RecordingDialog>()->diagram;
        QString levels; // pin 15 in the middle of each 2 ms
        for (const double ms : {1.0, 3.0, 5.0, 7.0})
            levels += diagram->levelsAt(ms * 1e6).at(kFel) ? '1' : '0';
        QCOMPARE(levels, QStringLiteral("1010"));
        QVERIFY2(d->lblFigures->text().endsWith(QString::fromUtf8(
                     "\nÄndringar: 5\nSpelades inte upp (ingångar och andra register): "
                     "stift11_busy.")),
                 qPrintable(d->lblFigures->text()));
        // The waves' pages show the pins chosen for them again: none.
        d->cboWave->setCurrentIndex(0);
        QCOMPARE(CheckedInList(d), QStringList{});
    }

    void stoppedOrClosedTheRegistersArePutBack_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Stoppa") << false;
        QTest::newRow("Esc") << true;
    }

    void stoppedOrClosedTheRegistersArePutBack() {
        QFETCH(bool, escape);
        WindowFixture f;
        auto pc = PcWithDataPlug(f);
        pc->write(888, 0x80);
        GeneratorDialog* d = OpenDialog(f);
        ListItem(d, 2)->setCheckState(Qt::Checked);
        d->spnSquareHz->setValue(1);
        d->spnSeconds->setValue(60.0);
        d->cmdStart->click();
        QVERIFY(d->running());
        QTest::qWait(50);
        QVERIFY(d->running());
        if (escape)
            QTest::keyClick(d, Qt::Key_Escape);
        else
            d->cmdStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d->running(), 10'000);
        QCOMPARE(d->isVisible(), !escape);
        QCOMPARE(d->lblStatus->text(),
                 QString::fromUtf8("Stoppad före slutet. Registren är återställda."));
        // The bar shows how far the signal got.
        QVERIFY(d->prgSignal->value() < d->prgSignal->maximum() / 2);
        QCOMPARE(pc->read(888), 0x80);
        QVERIFY(f.messages.isEmpty());
        // The port is free for the window again.
        f.window->Text1->setText(QStringLiteral("888"));
        f.window->Command1->click();
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("128"));
        QVERIFY(f.messages.isEmpty());
    }

    void refusalsComeAsMessages_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("message");
        QTest::newRow("data lines turned to input")
            << "bit 5" << QString::fromStdString(portprov::DataLinesInputMessage(888));
        QTest::newRow("no pin") << "no pin" << QString::fromUtf8("Välj minst ett stift att driva.");
        QTest::newRow("nothing to record")
            << "no register" << QString::fromUtf8("Välj minst ett register att spela in.");
        QTest::newRow("no file") << "file" << QString::fromUtf8("Välj en fil att spela upp.");
    }

    void refusalsComeAsMessages() {
        QFETCH(QString, setting);
        QFETCH(QString, message);
        WindowFixture f;
        auto pc = PcWithDataPlug(f);
        pc->write(890, setting == "bit 5" ? 0x24 : 0x04);
        GeneratorDialog* d = OpenDialog(f);
        if (setting != "no pin")
            ListItem(d, 2)->setCheckState(Qt::Checked);
        if (setting == "no register") {
            d->chkRecord->setChecked(true);
            d->chkRecStatus->setChecked(false);
        }
        if (setting == "file")
            d->cboWave->setCurrentIndex(2);
        d->cmdStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(!d->running(), 10'000);
        QCOMPARE(f.messages, QStringList{message});
        QVERIFY(d->cmdStart->isEnabled() && !d->cmdStop->isEnabled());
        QCOMPARE(pc->read(890) & 0x3F, setting == "bit 5" ? 0x24 : 0x04);
        // Refused before it began, the signal was not broken off; opened
        // again, the dialog no longer speaks of it.
        QVERIFY(d->lblStatus->text() != QString::fromUtf8("Signalen avbröts."));
        d->cmdClose->click();
        QCOMPARE(OpenDialog(f), d);
        QCOMPARE(d->lblStatus->text(),
                 QString::fromUtf8("Välj stift och vågform och tryck Starta."));
    }
};

QTEST_MAIN(GeneratorDialogTest)
#include "GeneratorDialogTest.moc"
