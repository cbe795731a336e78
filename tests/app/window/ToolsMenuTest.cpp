// SPDX-License-Identifier: MIT
// Verktyg: continuous reading follows the port and stops at the first
// failure with one message; the loopback dialog reports each wire, once or
// over repeated rounds.
#include "WindowFixture.h"
#include "loopback/LoopbackDialog.h"
#include "ports/simulated/SimulatedPc.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

namespace {

const QString kNoAccess = QString::fromUtf8("Ingen behörighet till portarna: kör som root.");
const QString kReadButton = QString::fromUtf8("Läs från Aktiv Adress");

QString LiveMark(int port) {
    return QString::fromUtf8("Läs från Adress %1 (löpande)").arg(port);
}

// Whether every port access since call `from` read port.
bool OnlyRead(const WindowFixture& f, std::size_t from, int port) {
    return std::all_of(f.calls().begin() + static_cast<std::ptrdiff_t>(from), f.calls().end(),
                       [port](const Call& call) { return call.port == port; });
}

bool LiveOff(const frmPortCom& window) {
    return !window.tmrLive->isActive() && !window.mnuLive->isChecked() &&
           window.Command1->text() == kReadButton;
}

// Messages are caught as a modal box would show them: the event loop runs
// while the message is up, so that ticks still due would run too.
void CatchLikeAModalBox(WindowFixture& f) {
    f.window->setMessageHandler([&f](QWidget*, const QString& text) {
        f.messages.append(text);
        QTest::qWait(300);
    });
}

// Ports that must be taken for continuous reading, as ppdev's are: each hold
// taken and given back is noted, "+888" and "-888".
class PortsToTake : public portprov::RecordingPorts {
public:
    QStringList holds;
    std::unique_ptr<portprov::PortHold> holdForReading(std::uint16_t port) override {
        struct Hold : portprov::PortHold {
            QStringList& holds;
            QString port;
            Hold(QStringList& h, std::uint16_t p) : holds(h), port(QString::number(p)) {
                holds.append("+" + port);
            }
            ~Hold() override { holds.append("-" + port); }
        };
        return std::make_unique<Hold>(holds, port);
    }
};

// The loopback dialog on a simulated PC with the data plug in, and pin 15's
// fault if any, its data wiring chosen.
LoopbackDialog* DataLoopbackDialog(WindowFixture& f, std::optional<portprov::PinFault> fault) {
    auto pc = std::make_shared<portprov::SimulatedPc>();
    pc->insertPlug(portprov::LoopbackPlug::Data);
    if (fault)
        pc->addFault(*fault);
    f.useBackend(pc);
    f.window->mnuLoopback->trigger();
    auto* dialog = f.window->findChild<LoopbackDialog*>();
    dialog->cboPlug->setCurrentIndex(1);
    return dialog;
}

// Whether only Stoppa (and Stäng) can be used, as while a repeated run goes on.
bool RepeatRunning(const LoopbackDialog& d) {
    const QWidget* const idle[] = {d.cboPort,         d.cboPlug,  d.spnRounds,
                                   d.chkUntilStopped, d.cmdStart, d.cmdRepeat};
    return d.tmrRepeat->isActive() && d.cmdStop->isEnabled() &&
           std::none_of(std::begin(idle), std::end(idle), [](auto* w) { return w->isEnabled(); });
}

} // namespace

class ToolsMenuTest : public QObject {
    Q_OBJECT

private slots:
    void liveReadingFollowsThePlugWithTheStatusRule() {
        WindowFixture f;
        auto pc = std::make_shared<portprov::SimulatedPc>();
        pc->insertPlug(portprov::LoopbackPlug::Control);
        f.useBackend(pc);
        f.window->show();
        f.window->Text1->setText(QStringLiteral("889"));
        f.window->mnuLive->trigger();
        QVERIFY(f.window->mnuLive->isChecked());
        QTRY_COMPARE(f.window->lblValue->text(), QStringLiteral("55"));
        QCOMPARE(f.window->Command1->text(), LiveMark(889));
        // The mark fits on the button, with the longest address.
        QVERIFY(f.window->Command1->fontMetrics().horizontalAdvance(LiveMark(65535)) <
                f.window->Command1->width() - 8);

        // The control register write works as always; the next tick shows
        // the status it causes: 199, bit 7 and bit 3 inverted on their pins.
        f.window->Text2->setText(QStringLiteral("15"));
        f.window->Command3_Click();
        QTRY_COMPARE(f.window->lblValue->text(), QStringLiteral("199"));
        QCOMPARE(BitLamps(*f.window), QStringLiteral("11000111"));
        QCOMPARE(PinLamps(*f.window), Pins("WWWWRWWRW WWWW WWRW BBBBBBBB"));
        QCOMPARE(pc->read(890), 207);

        // 890 says nothing about the pins: the control pins stay as written.
        f.window->Text1->setText(QStringLiteral("890"));
        QTest::keyClick(f.window->Text1, Qt::Key_Return);
        QTRY_COMPARE(f.window->lblValue->text(), QStringLiteral("207"));
        QCOMPARE(PinLamps(*f.window), Pins("WWWWRWWRW WWWW WWRW BBBBBBBB"));

        f.window->mnuLive->trigger();
        QVERIFY(LiveOff(*f.window));
        QCOMPARE(f.window->Command1->palette().color(QPalette::Button),
                 f.window->Command2->style()->standardPalette().color(QPalette::Button));
        QVERIFY(f.messages.isEmpty());
    }

    void itHoldsItsPortOnceWhileItRunsAndMovesTheHoldWithTheAddress() {
        WindowFixture f;
        auto ports = std::make_shared<PortsToTake>();
        f.useBackend(ports);
        f.window->Text1->setText(QStringLiteral("888"));
        f.window->mnuLive->trigger();
        QTRY_VERIFY(ports->calls().size() >= 3);
        QCOMPARE(ports->holds, QStringList{"+888"});
        f.window->Text1->setText(QStringLiteral("889"));
        QTest::keyClick(f.window->Text1, Qt::Key_Return);
        QTRY_COMPARE(ports->holds, (QStringList{"+888", "-888", "+889"}));
        f.window->mnuLive->trigger();
        QCOMPARE(ports->holds, (QStringList{"+888", "-888", "+889", "-889"}));
    }

    void aFailedAccessStopsItWithOneMessageAndPutsTheWindowBack() {
        WindowFixture f;
        CatchLikeAModalBox(f);
        f.window->Text1->setText(QStringLiteral("888"));
        f.ports->setIdleValue(888, 85);
        f.window->mnuLive->trigger();
        QTRY_COMPARE(f.window->lblValue->text(), QStringLiteral("85"));
        const QStringList before = WindowState(*f.window);

        f.ports->failWith(kNoAccess.toStdString());
        QTRY_VERIFY(!f.messages.isEmpty());
        QTest::qWait(300);
        QCOMPARE(f.messages, QStringList{kNoAccess});
        QVERIFY(LiveOff(*f.window));
        QCOMPARE(WindowState(*f.window), before);
    }

    void aPortHeldByAnotherProgramIsWaitedForWithoutMessages() {
        WindowFixture f;
        CatchLikeAModalBox(f);
        f.ports->setIdleValue(888, 85);
        f.window->mnuLive->trigger();
        QTRY_COMPARE(f.window->lblValue->text(), QStringLiteral("85"));
        const QStringList before = WindowState(*f.window);

        f.ports->failWith("upptagen", portprov::PortErrorKind::Busy);
        const QString waiting = QString::fromUtf8("Läs från Adress 888 (väntar)");
        QTRY_COMPARE(f.window->Command1->text(), waiting);
        QVERIFY(f.window->Command1->fontMetrics().horizontalAdvance(
                    QString::fromUtf8("Läs från Adress 65535 (väntar)")) <
                f.window->Command1->contentsRect().width());
        QTest::qWait(200);
        QVERIFY(f.messages.isEmpty() && f.window->tmrLive->isActive());
        QCOMPARE(WindowState(*f.window), before);

        f.ports->stopFailing();
        f.ports->setIdleValue(888, 7);
        QTRY_COMPARE(f.window->lblValue->text(), QStringLiteral("7"));
        QCOMPARE(f.window->Command1->text(), LiveMark(888));
    }

    void aRefusedAddressStopsItWithOneMessage() {
        WindowFixture f;
        CatchLikeAModalBox(f);
        f.window->mnuLive->trigger();
        QTRY_VERIFY(!f.calls().empty());
        f.window->Text1->setText(QStringLiteral("70000"));
        QTest::keyClick(f.window->Text1, Qt::Key_Return);
        QTRY_VERIFY(!f.messages.isEmpty());
        QTest::qWait(300);
        QCOMPARE(f.messages, QStringList{kBadAddress});
        QVERIFY(LiveOff(*f.window));
        // 70000 reached no port.
        for (const Call& call : f.calls())
            QCOMPARE(call.port, std::uint16_t{888});
    }

    void onlyAConfirmedAddressIsRead() {
        WindowFixture f;
        f.window->show();
        f.window->Text1->setText(QStringLiteral("70000")); // refused: not switched on
        f.window->mnuLive->trigger();
        QVERIFY(LiveOff(*f.window) && f.messages == QStringList{kBadAddress});
        f.window->Text1->setText(QStringLiteral("889.5")); // halves to even, as the read button
        f.window->mnuLive->trigger();
        // Typing, through an empty box, reads nothing else and says nothing.
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(f.window->Text1, Qt::Key_Backspace);
        QTest::qWait(150);
        QTest::keyClicks(f.window->Text1, QStringLiteral("888.5"));
        QTest::qWait(150);
        QVERIFY(f.calls().size() > 2 && OnlyRead(f, 0, 890));
        QTest::keyClick(f.window->Text1, Qt::Key_Return);
        const std::size_t enter = f.calls().size();
        QTRY_VERIFY(f.calls().size() > enter + 1 && OnlyRead(f, enter, 888));
        f.window->List1->setCurrentRow(4); // "632"
        QCOMPARE(f.window->Command1->text(), LiveMark(632));
        QCOMPARE(f.messages.size(), 1);
    }

    void closingTheWindowStopsIt() {
        WindowFixture f;
        f.window->show();
        f.window->mnuLive->trigger();
        QVERIFY(f.window->tmrLive->isActive());
        f.window->close();
        QVERIFY(LiveOff(*f.window));
    }

    void theLoopbackDialogNamesTheBrokenWireAndRestoresThePort() {
        WindowFixture f;
        auto pc = std::make_shared<portprov::SimulatedPc>();
        pc->insertPlug(portprov::LoopbackPlug::Control);
        QVERIFY(pc->breakWire(14, 12));
        f.useBackend(pc);
        pc->write(888, 85);
        pc->write(890, 4);
        f.window->mnuLoopback->trigger();
        auto* dialog = f.window->findChild<LoopbackDialog*>();
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Slingtest"));
        QCOMPARE(dialog->cboPort->count(), 3);
        QCOMPARE(dialog->cboPort->itemText(2), QStringLiteral("956 (0x3BC)"));

        dialog->cmdStart->click();
        const QStringList expected{QStringLiteral("fungerar"), QStringLiteral("fungerar"),
                                   QString::fromUtf8("fastnat hög"), QStringLiteral("fungerar"),
                                   QStringLiteral("fungerar")};
        for (int row = 0; row < 5; ++row) {
            QCOMPARE(dialog->grdResult->item(row, 2)->text(), expected[row]);
            QCOMPARE(dialog->grdResult->item(row, 2)->background().color(),
                     row == 2 ? kLoopbackFailFace : kLoopbackPassFace);
        }
        QCOMPARE(dialog->grdResult->item(2, 0)->text(), QString::fromUtf8("14–12"));
        QCOMPARE(dialog->lblVerdict->text(),
                 QString::fromUtf8("Underkänt: 1 av 5 ledningar fungerar inte (stift 14–12)."));
        QCOMPARE(pc->read(888), 85);
        QCOMPARE(pc->read(890), 196);

        // The data wiring on the same plug: only 2-15 is common to both.
        dialog->cboPlug->setCurrentIndex(1);
        QVERIFY(dialog->grdResult->item(0, 2)->text().isEmpty());
        dialog->cmdStart->click();
        QCOMPARE(dialog->grdResult->item(0, 2)->text(), QStringLiteral("fungerar"));
        QVERIFY(dialog->lblVerdict->text().startsWith(QString::fromUtf8("Underkänt: 4 av 5")));
        // The verdict, naming the plug that is in, has all its lines below the table.
        QTRY_VERIFY(dialog->lblVerdict->y() > dialog->grdResult->geometry().bottom());
        QVERIFY(dialog->lblVerdict->height() >=
                dialog->lblVerdict->heightForWidth(dialog->lblVerdict->width()));
        QVERIFY(f.messages.isEmpty());
    }

    void repeatedRoundsCountEachWiresFailures() {
        const struct {
            std::optional<portprov::PinFault> fault;
            const char* verdict; // its start
        } cases[] = {
            {std::nullopt, "Godkänt: alla 5 ledningarna fungerade i alla 40 omgångar."},
            {portprov::PinFault{15, portprov::PinFault::Kind::Drop, 0.5}, "Underkänt: fel i "},
        };
        for (const auto& c : cases) {
            WindowFixture f;
            auto* dialog = DataLoopbackDialog(f, c.fault);
            dialog->spnRounds->setValue(40);
            dialog->cmdRepeat->click();
            QTRY_VERIFY(!dialog->tmrRepeat->isActive());
            const QColor face = c.fault ? kLoopbackFailFace : kLoopbackPassFace;
            QVERIFY(dialog->lblVerdict->text().startsWith(QString::fromUtf8(c.verdict)));
            QCOMPARE(dialog->lblVerdict->palette().color(QPalette::Window), face);
            // Only 2-15 fails with the loose pin 15, and names its first failed round.
            QCOMPARE(dialog->grdResult->item(0, 2)->background().color(), face);
            QCOMPARE(dialog->grdResult->item(0, 2)->text().contains(
                         QString::fromUtf8(" av 40 omgångar, första i omgång ")),
                     c.fault.has_value());
            for (int row = 1; row < 5; ++row)
                QCOMPARE(dialog->grdResult->item(row, 2)->text(),
                         QString::fromUtf8("fel i 0 av 40 omgångar"));
            // Spara rapport… saves the counts as a page for the customer.
            QTemporaryDir folder;
            const QString name = folder.filePath(QStringLiteral("slinga.html"));
            dialog->setReportFileChooser(
                [&](QWidget*, const QString&, const QString&) { return name; });
            QVERIFY(dialog->cmdReport->isEnabled());
            dialog->cmdReport->click();
            QFile page(name);
            QVERIFY(page.open(QIODevice::ReadOnly));
            QVERIFY(QString::fromUtf8(page.readAll()).contains(QString::fromUtf8("40 omgångar, ")));
        }
    }

    void stoppaEndsARunUntilStoppedAndKeepsItsCounts() {
        WindowFixture f;
        auto* dialog = DataLoopbackDialog(f, std::nullopt);
        dialog->show();
        dialog->chkUntilStopped->setChecked(true);
        dialog->cmdRepeat->click();
        QVERIFY(RepeatRunning(*dialog));
        QTRY_VERIFY(!dialog->grdResult->item(4, 2)->text().isEmpty());
        QVERIFY(RepeatRunning(*dialog));
        dialog->cmdStop->click();
        QVERIFY(!dialog->tmrRepeat->isActive() && !dialog->cmdStop->isEnabled());
        QVERIFY(dialog->cmdStart->isEnabled() && !dialog->spnRounds->isEnabled());
        // The verdict counts the rounds the table counts.
        const QString rounds = dialog->grdResult->item(4, 2)->text().section(' ', 4, 4);
        QCOMPARE(dialog->lblVerdict->text(),
                 QString::fromUtf8("Godkänt: alla 5 ledningarna fungerade i alla %1 omgångar. "
                                   "Körningen stoppades.")
                     .arg(rounds));
        QVERIFY(dialog->width() <= 1024 && dialog->height() <= 768);

        // Closing the dialog ends a run that is under way.
        dialog->cmdRepeat->click();
        QPointer<LoopbackDialog> closed(dialog);
        dialog->close();
        QVERIFY(closed.isNull() || !closed->tmrRepeat->isActive());
    }

    void aPortFailureEndsARepeatedRunWithOneMessage() {
        WindowFixture f;
        f.ports->failWith(kNoAccess.toStdString());
        f.window->mnuLoopback->trigger();
        auto* dialog = f.window->findChild<LoopbackDialog*>();
        dialog->cmdRepeat->click();
        QTRY_VERIFY(!f.messages.isEmpty());
        QTest::qWait(100);
        QCOMPARE(f.messages, QStringList{kNoAccess});
        QVERIFY(!dialog->tmrRepeat->isActive() && dialog->cmdRepeat->isEnabled());
        QVERIFY(dialog->lblVerdict->text().startsWith(QString::fromUtf8("Testet avbröts")));
    }

    void aPortFailureInTheLoopbackTestIsShownOnce() {
        // The verdict tells a port that never let the test start from one that failed in it.
        const std::pair<portprov::PortErrorKind, const char*> kinds[] = {
            {portprov::PortErrorKind::FailedAccess, "Testet avbröts"},
            {portprov::PortErrorKind::NotPermitted, "Testet startade inte: porten kan inte nås"},
            {portprov::PortErrorKind::Busy, "Testet startade inte: porten är upptagen"}};
        for (const auto& [kind, verdict] : kinds) {
            WindowFixture f;
            f.ports->failWith(kNoAccess.toStdString(), kind);
            f.window->mnuLoopback->trigger();
            auto* dialog = f.window->findChild<LoopbackDialog*>();
            QVERIFY(dialog != nullptr);
            dialog->cmdStart->click();
            QCOMPARE(f.messages, QStringList{kNoAccess});
            QVERIFY(dialog->lblVerdict->text().startsWith(QString::fromUtf8(verdict)));
            QVERIFY(dialog->grdResult->item(0, 2)->text().isEmpty());
        }
    }
};

QTEST_MAIN(ToolsMenuTest)
#include "ToolsMenuTest.moc"
