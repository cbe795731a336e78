// SPDX-License-Identifier: MIT
// Verktyg → Spela in…: the dialog records the simulated printer's handshake,
// shows it and saves it; failures come as messages.
#include "recording/RecordingDialog.h"
#include "CutTexts.h"
#include "WindowFixture.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/SwedishSaveDialog.h"
#include "recording/TimingDiagram.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>

namespace {

RecordingDialog* OpenDialog(WindowFixture& f) {
    f.window->mnuRecord->trigger();
    return f.window->findChild<RecordingDialog*>();
}

// A CSV column's levels from row to row, repeats left out: "101".
QString LevelsOf(const QString& csv, const QString& wire) {
    const QStringList rows = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const qsizetype column = rows.front().split(QLatin1Char(',')).indexOf(wire);
    QString levels;
    for (qsizetype i = 1; column > 0 && i < rows.size(); ++i) {
        const QString level = rows[i].split(QLatin1Char(',')).value(column);
        if (!levels.endsWith(level))
            levels += level;
    }
    return levels;
}

// The save button of a kind of file: "Vcd", "Csv".
QPushButton* SaveButton(const RecordingDialog* dialog, const char* kind) {
    return dialog->findChild<QPushButton*>(QStringLiteral("cmdSave") + QLatin1String(kind));
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a user sets in the dialog, as text.
QStringList Settings(const RecordingDialog* d) {
    QStringList settings{d->cboPort->currentText(),       d->cboTrigger->currentText(),
                         d->cboTriggerPin->currentText(), d->spnRate->text(),
                         d->spnSeconds->text(),           d->spnSamples->text(),
                         d->spnWritePort->text(),         d->spnWriteValue->text()};
    for (const QAbstractButton* box : std::initializer_list<const QAbstractButton*>{
             d->chkData, d->chkStatus, d->chkControl, d->optRate, d->optSamples, d->chkWrite})
        settings << QString::number(box->isChecked());
    return settings;
}

// Every text a widget and its children show: captions, tooltips, menu items,
// the headers and rows of its lists.
QStringList TextsOf(const QWidget* root) {
    QStringList texts;
    for (const QObject* object : root->findChildren<QObject*>()) {
        for (const char* property : {"text", "toolTip", "title"})
            texts << object->property(property).toString();
        const auto* view = qobject_cast<const QAbstractItemView*>(object);
        if (view == nullptr || view->model() == nullptr)
            continue;
        const QAbstractItemModel* model = view->model();
        for (int column = 0; column < model->columnCount(); ++column)
            texts << model->headerData(column, Qt::Horizontal).toString();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, 0).data().toString();
    }
    texts.removeAll(QString());
    return texts;
}

} // namespace

class RecordingDialogTest : public QObject {
    Q_OBJECT

private slots:
    void recordsThePrintersHandshakeAndSavesIt_data() {
        QTest::addColumn<int>("trigger");
        QTest::addColumn<QString>("pin");
        QTest::newRow("at once") << 0 << QString();
        // Started by Ack's falling edge: a tenth of the length is from before it.
        QTest::newRow("on Ack falling") << 2 << QStringLiteral("Stift 10 Ack");
        // Busy is inverted in its register: its fall is a rise of the bit.
        QTest::newRow("on Busy falling") << 2 << QStringLiteral("Stift 11 Busy");
    }

    void recordsThePrintersHandshakeAndSavesIt() {
        QFETCH(int, trigger);
        QFETCH(QString, pin);
        const QDate firstDay = QDate::currentDate(); // the recording may end past midnight
        WindowFixture f;
        // The printer's time moves 200 ns at each look at it, so that its
        // 5 µs Ack pulse is seen however slowly a loaded machine (or a
        // sanitizer build) lets the recorder read.
        auto pc = std::make_shared<portprov::SimulatedPc>(
            [ticks = std::make_shared<std::atomic<std::int64_t>>(0)] {
                return std::chrono::nanoseconds(ticks->fetch_add(200) + 200);
            });
        pc->attachPrinter();
        f.useBackend(pc);
        QCOMPARE(f.window->mnuRecord->text(), QString::fromUtf8("Spela in…"));
        RecordingDialog* dialog = OpenDialog(f);
        QVERIFY(dialog && dialog->isVisible());
        dialog->cboTrigger->setCurrentIndex(trigger);
        if (trigger != 0)
            dialog->cboTriggerPin->setCurrentText(pin);
        QCOMPARE(dialog->cboTriggerPin->currentText(), trigger ? pin : "Stift 2 D0");
        // 2000 rounds from the strobe, 400 µs by the printer's clock: Busy and
        // the Ack pulse, and the tenth kept from before a trigger holds both,
        // however the real clock runs.
        dialog->optSamples->setChecked(true);
        dialog->spnSamples->setValue(2000);
        dialog->chkWrite->setChecked(true);
        QCOMPARE(dialog->spnWritePort->value(), 890);
        // A strobe that keeps Init high: a real printer is not reset by it.
        QCOMPARE(dialog->spnWriteValue->value(), 13);
        dialog->cmdStart->click();
        QVERIFY(dialog->recording() && !dialog->cmdStart->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->recording(), 10'000);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(dialog->diagram->hasRecording() && SaveButton(dialog, "Vcd")->isEnabled());
        QVERIFY(dialog->lblStats->text().contains(QString::fromUtf8("Längsta glapp")));
        const std::optional<double> triggered = dialog->diagram->triggerTime();
        QCOMPARE(triggered.has_value(), trigger != 0);
        if (triggered) {
            const auto line = static_cast<std::size_t>(dialog->cboTriggerPin->currentIndex());
            QVERIFY(dialog->diagram->levelsAt(*triggered - 1)[line]);
            QVERIFY(!dialog->diagram->levelsAt(*triggered)[line]);
        }

        QTemporaryDir folder;
        QStringList asked;
        QStringList suggested;
        dialog->setSaveFileChooser(
            [&](QWidget*, const QString& caption, const QString& filter, const QString& name) {
                asked << caption;
                suggested << name;
                return folder.filePath(filter.startsWith(QStringLiteral("CSV")) ? "handslag.csv"
                                                                                : "handslag.vcd");
            });
        SaveButton(dialog, "Csv")->click();
        SaveButton(dialog, "Vcd")->click();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(asked, (QStringList{QStringLiteral("Spara inspelningen som CSV"),
                                     QStringLiteral("Spara inspelningen som VCD")}));
        // The first register recorded, and when the recording began.
        const QString days = QStringLiteral("(%1|%2)").arg(
            firstDay.toString(QStringLiteral("yyyyMMdd")),
            QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
        for (const QString& name : suggested)
            QVERIFY2(
                QRegularExpression(QStringLiteral("^portprov-888-%1-\\d{4}\\.(csv|vcd)$").arg(days))
                    .match(name)
                    .hasMatch(),
                qPrintable(name));
        QCOMPARE(QFileInfo(suggested.value(1)).suffix(), QStringLiteral("vcd"));
        const QString table = QString::fromUtf8(Contents(folder.filePath("handslag.csv")));
        // The strobe stays low and Init high; Busy rises with the strobe and
        // falls after the Ack pulse.
        QCOMPARE(LevelsOf(table, QStringLiteral("stift1_strobe")), QStringLiteral("0"));
        QCOMPARE(LevelsOf(table, QStringLiteral("stift16_init")), QStringLiteral("1"));
        QCOMPARE(LevelsOf(table, QStringLiteral("stift10_ack")), QStringLiteral("101"));
        QCOMPARE(LevelsOf(table, QStringLiteral("stift11_busy")), QStringLiteral("10"));
        QVERIFY(Contents(folder.filePath("handslag.vcd")).contains("stift10_ack"));
    }

    void failuresAreShownWithTheirSwedishText() {
        const QString noAccess = QString::fromUtf8("Ingen behörighet till portarna: kör som root.");
        WindowFixture f;
        RecordingDialog* dialog = OpenDialog(f);
        QVERIFY(dialog);

        for (QCheckBox* box : {dialog->chkData, dialog->chkStatus, dialog->chkControl})
            box->setChecked(false);
        dialog->cmdStart->click();
        QCOMPARE(f.messages,
                 QStringList{QString::fromUtf8("Välj minst ett register att spela in.")});

        f.messages.clear();
        dialog->chkStatus->setChecked(true);
        f.ports->failWith(noAccess.toStdString(), portprov::PortErrorKind::NotPermitted);
        dialog->cmdStart->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.messages, QStringList{noAccess}, 10'000);
        QTRY_VERIFY(!dialog->recording() && dialog->cmdStart->isEnabled());
        QVERIFY(!SaveButton(dialog, "Vcd")->isEnabled());

        // The ports are one recording's at a time: a second dialog is refused
        // while the first records, and Stop ends the first at once.
        f.ports->stopFailing();
        f.messages.clear();
        dialog->spnSeconds->setValue(30);
        dialog->cmdStart->click();
        QVERIFY(dialog->recording());
        auto* second =
            new RecordingDialog(f.window.get(), {888}, {888},
                                [&f](QWidget*, const QString& text) { f.messages << text; });
        second->cmdStart->click();
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(!second->recording() && dialog->recording());
        dialog->cmdStop->click();
        QTRY_VERIFY(!dialog->recording());
        QVERIFY(SaveButton(dialog, "Vcd")->isEnabled());

        // A file that cannot be written is a message; a cancelled choice writes nothing.
        dialog->optSamples->setChecked(true);
        dialog->spnSamples->setValue(10);
        dialog->cmdStart->click();
        QTRY_VERIFY(!dialog->recording());
        QTemporaryDir folder;
        const struct {
            QString file;
            int messages;
        } cases[] = {{folder.filePath(QStringLiteral("saknas/x.vcd")), 1}, {QString(), 0}};
        for (const auto& c : cases) {
            f.messages.clear();
            dialog->setSaveFileChooser(
                [&c](QWidget*, const QString&, const QString&, const QString&) { return c.file; });
            SaveButton(dialog, "Vcd")->click();
            QCOMPARE(f.messages.size(), c.messages);
            QVERIFY(QDir(folder.path()).isEmpty());
        }
    }

    void everyTextIsWholeFromTheSmallestSize_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("smallest") << QSize(900, 600);
        QTest::newRow("1024x768 less a frame") << QSize(984, 688);
        QTest::newRow("narrow, beside the window at 1024x768") << QSize(600, 680);
    }

    void everyTextIsWholeFromTheSmallestSize() {
        QFETCH(QSize, size);
        WindowFixture f;
        RecordingDialog* dialog = OpenDialog(f);
        QVERIFY(dialog->width() <= 984 && dialog->height() <= 688);
        dialog->setNarrow(size.width() < 900);
        QVERIFY(dialog->minimumWidth() <= size.width() && dialog->minimumHeight() <= size.height());
        dialog->resize(size);
        QVERIFY2(CutTexts(dialog).isEmpty(), qPrintable(CutTexts(dialog).join(QLatin1Char('\n'))));
    }

    void theButtonsAreNamedAndInTheirOrder() {
        WindowFixture f;
        QString buttons;
        for (const QPushButton* button : OpenDialog(f)->findChildren<QPushButton*>())
            buttons += (buttons.isEmpty() ? "" : "|") + button->objectName() + ' ' + button->text();
        QCOMPARE(buttons, QString::fromUtf8("cmdPrevDifference ◀ Före|cmdNextDifference "
                                            "Nästa ▶|cmdStart Starta|cmdStop Stoppa|cmdSaveVcd "
                                            "Spara &VCD…|cmdSaveCsv Spara &CSV…|cmdClose Stäng"));
    }

    void numbersAreSwedishWhateverTheLocale() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        WindowFixture f;
        RecordingDialog* dialog = OpenDialog(f);
        QLocale::setDefault(QLocale::c());
        const QString space(QChar(0x00A0));
        QCOMPARE(dialog->spnRate->text(), "100" + space + "000 Hz");
        QCOMPARE(dialog->spnSamples->text(), "10" + space + "000");
        QCOMPARE(dialog->spnSeconds->text(), QStringLiteral("0,100 s"));
        // And they read numbers as they are written.
        dialog->spnSeconds->findChild<QLineEdit*>()->setText(QStringLiteral("2,5 s"));
        dialog->spnSeconds->interpretText();
        QCOMPARE(dialog->spnSeconds->value(), 2.5);
    }

    void openedAgainItComesForwardAsItWasLeft() {
        WindowFixture f;
        RecordingDialog* dialog = OpenDialog(f);
        const QStringList first = Settings(dialog);
        dialog->chkControl->setChecked(false);
        dialog->optRate->setChecked(true);
        dialog->spnRate->setValue(5000);
        dialog->optSamples->setChecked(true);
        dialog->spnSamples->setValue(1234);
        dialog->cboTrigger->setCurrentIndex(2);
        dialog->cboTriggerPin->setCurrentText(QStringLiteral("Stift 11 Busy"));
        dialog->chkWrite->setChecked(true);
        dialog->spnWriteValue->setValue(7);
        const QStringList set = Settings(dialog);
        QVERIFY(set != first);
        dialog->cmdClose->click();
        QVERIFY(!dialog->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(OpenDialog(f), dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(Settings(dialog), set);
        f.window->mnuRecord->trigger();
        QCOMPARE(f.window->findChildren<RecordingDialog*>().size(), 1);

        // Closed while it records, it stops: hidden, it would keep the port.
        dialog->optSeconds->setChecked(true);
        dialog->spnSeconds->setValue(30);
        dialog->cboTrigger->setCurrentIndex(0);
        dialog->cmdStart->click();
        QVERIFY(dialog->recording());
        dialog->cmdClose->click();
        QTRY_VERIFY(!dialog->recording());
    }

    void homeAndEndMoveTheDiagramAsSoonAsItIsShown() {
        WindowFixture f;
        RecordingDialog* dialog = OpenDialog(f);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->optSamples->setChecked(true);
        dialog->spnSamples->setValue(200);
        QTest::mouseClick(dialog->cmdStart, Qt::LeftButton); // the focus goes on from Starta
        QTRY_VERIFY(!dialog->recording());
        TimingDiagram* diagram = dialog->diagram;
        QCOMPARE(QApplication::focusWidget(), diagram);
        diagram->zoomAt(diagram->plotLeft(), 8.0);
        // Where the focus is, and from a button that has no use for them.
        for (QWidget* target :
             {static_cast<QWidget*>(diagram), static_cast<QWidget*>(SaveButton(dialog, "Vcd"))}) {
            QTest::keyClick(target, Qt::Key_End);
            QVERIFY(diagram->viewStart() > 0.0);
            QTest::keyClick(target, Qt::Key_Home);
            QCOMPARE(diagram->viewStart(), 0.0);
        }
    }

    void anEdgeThatNeverCameIsSaidSoAndWhatWasRecordedKept() {
        WindowFixture f; // the recorded ports' lines stand still
        RecordingDialog* dialog = OpenDialog(f);
        dialog->cboTrigger->setCurrentIndex(1);
        dialog->cboTriggerPin->setCurrentText(QStringLiteral("Stift 10 Ack"));
        dialog->cmdStart->click();
        QTRY_COMPARE(dialog->lblStats->text(), QString::fromUtf8("Väntar på flanken…"));
        // The poll that shows the result comes right before the checks, as
        // it may on a busy machine: nothing has been passed up the layouts yet.
        dialog->tmrPoll->stop();
        dialog->cmdStop->click();
        const auto shownByThePoll = [dialog] {
            dialog->tmrPoll_Timer();
            return !dialog->recording();
        };
        QTRY_VERIFY(shownByThePoll());
        QVERIFY2(dialog->lblStats->text().startsWith(QStringLiteral("Flanken kom aldrig")),
                 qPrintable(dialog->lblStats->text()));
        QVERIFY(dialog->lblStats->text().contains(QString::fromUtf8("Mätningar")));
        QVERIFY(dialog->diagram->hasRecording() && !dialog->diagram->triggerTime());
        QVERIFY(SaveButton(dialog, "Vcd")->isEnabled());
        for (const bool narrow : {false, true}) {
            dialog->setNarrow(narrow);
            dialog->resize(dialog->minimumSize());
            QVERIFY2(CutTexts(dialog).isEmpty(), qPrintable(CutTexts(dialog).join('\n')));
        }
    }

    void theFileDialogSpeaksSwedishAndSuggestsAName() {
        const QStringList english{"Look in", "File",     "type",   "Save", "Cancel", "Back",
                                  "Forward", "Parent",   "Folder", "View", "Rename", "Delete",
                                  "hidden",  "Computer", "Name",   "Size", "Date",   "Places"};
        QStringList heard;
        QString offered;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (chooser == nullptr)
                return;
            for (const QString& text : TextsOf(chooser)) {
                for (const QString& word : english) {
                    if (text.contains(word))
                        heard << text;
                }
            }
            offered = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            chooser->reject();
        });
        const QString chosen = ChooseSwedishSaveFile(
            nullptr, QStringLiteral("Spara"), QStringLiteral("VCD-filer (*.vcd)"),
            QStringLiteral("portprov-889-20261207-2130.vcd"));
        QVERIFY(chosen.isEmpty());
        QCOMPARE(offered, QStringLiteral("portprov-889-20261207-2130.vcd"));
        QCOMPARE(heard, QStringList());
    }
};

QTEST_MAIN(RecordingDialogTest)
#include "RecordingDialogTest.moc"
