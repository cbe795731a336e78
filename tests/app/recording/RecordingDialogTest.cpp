// SPDX-License-Identifier: MIT
// Verktyg → Spela in…: the dialog records the simulated printer's handshake,
// shows it and saves it; failures come as messages.
#include "recording/RecordingDialog.h"
#include "WindowFixture.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/TimingDiagram.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

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

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        QCOMPARE(dialog->spnWriteValue->value(), 1); // the strobe
        dialog->cmdStart->click();
        QVERIFY(dialog->recording() && !dialog->cmdStart->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->recording(), 10'000);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(dialog->diagram->hasRecording() && dialog->cmdSaveVcd->isEnabled());
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
        dialog->setSaveFileChooser([&](QWidget*, const QString& caption, const QString& filter) {
            asked << caption;
            return folder.filePath(filter.startsWith(QStringLiteral("CSV")) ? "handslag.csv"
                                                                            : "handslag.vcd");
        });
        dialog->cmdSaveCsv->click();
        dialog->cmdSaveVcd->click();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(asked, (QStringList{QStringLiteral("Spara inspelningen som CSV"),
                                     QStringLiteral("Spara inspelningen som VCD")}));
        const QString table = QString::fromUtf8(Contents(folder.filePath("handslag.csv")));
        // The strobe stays low; Busy rises with it and falls after the Ack pulse.
        QCOMPARE(LevelsOf(table, QStringLiteral("stift1_strobe")), QStringLiteral("0"));
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
        QVERIFY(!dialog->cmdSaveVcd->isEnabled());

        // The ports are one recording's at a time: a second dialog is refused
        // while the first records, and Stop ends the first at once.
        f.ports->stopFailing();
        f.messages.clear();
        dialog->spnSeconds->setValue(30);
        dialog->cmdStart->click();
        QVERIFY(dialog->recording());
        f.window->mnuRecord->trigger();
        RecordingDialog* second = f.window->findChildren<RecordingDialog*>().constLast();
        QVERIFY(second != dialog);
        second->cmdStart->click();
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(!second->recording() && dialog->recording());
        dialog->cmdStop->click();
        QTRY_VERIFY(!dialog->recording());
        QVERIFY(dialog->cmdSaveVcd->isEnabled());

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
                [&c](QWidget*, const QString&, const QString&) { return c.file; });
            dialog->cmdSaveVcd->click();
            QCOMPARE(f.messages.size(), c.messages);
            QVERIFY(QDir(folder.path()).isEmpty());
        }
    }
};

QTEST_MAIN(RecordingDialogTest)
#include "RecordingDialogTest.moc"
