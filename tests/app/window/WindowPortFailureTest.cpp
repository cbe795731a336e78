// SPDX-License-Identifier: MIT
// A port access that fails shows its message and leaves the window exactly as
// it was before the command; the window goes on working.
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTimer>

namespace {

const QString kNoAccess = QString::fromUtf8("Ingen behörighet till portarna: kör som root.");

// Writes go through; the read that follows fails, as a port can that is
// reachable for one access and not for the next.
class FailingReads : public portprov::RecordingPorts {
public:
    std::uint8_t read(std::uint16_t) override {
        throw portprov::PortError(portprov::PortErrorKind::NotPermitted, kNoAccess.toStdString());
    }
};

// A backend that cannot be opened at all.
portprov::BackendFactory Unopenable() {
    return []() -> std::unique_ptr<portprov::PortBackend> {
        throw portprov::PortError(portprov::PortErrorKind::NotPermitted, kNoAccess.toStdString());
    };
}

// Puts the window in a state that every command would change.
void Prepare(frmPortCom& window) {
    window.Text1->setText(QStringLiteral("889"));
    window.Text2->setText(QStringLiteral("300"));
    window.lblValue->setText(QStringLiteral("17"));
    window.Label5->setText(kReadMode);
    SetLampColour(window.lblBin[2], Qt::red);
    SetLampColour(window.Lpt[4], Qt::red);
    SetLampColour(window.Lpt[17], Qt::red);
    const QSignalBlocker quiet(window.List1);
    window.List1->setCurrentRow(5);
}

} // namespace

class WindowPortFailureTest : public QObject {
    Q_OBJECT

private slots:
    void everyCommandPutsTheWindowBack() {
        struct Case {
            const char* name;
            const char* address;
            void (frmPortCom::*command)();
        };
        const Case cases[] = {
            {"read", "889", &frmPortCom::Command1_Click},
            {"write", "889", &frmPortCom::Command2_Click},
            {"write to 890", "890", &frmPortCom::Command2_Click},
            {"control register", "889", &frmPortCom::Command3_Click},
        };
        for (const Case& c : cases) {
            WindowFixture f;
            f.ports->failWith(kNoAccess.toStdString());
            Prepare(*f.window);
            f.window->Text1->setText(QString::fromLatin1(c.address));
            const QStringList before = WindowState(*f.window);
            (f.window.get()->*c.command)();
            QCoreApplication::processEvents();
            QVERIFY2(f.messages == QStringList{kNoAccess}, c.name);
            QVERIFY2(WindowState(*f.window) == before, c.name);
        }
    }

    void aFailedReadBackUndoesTheWrite() {
        WindowFixture f;
        auto ports = std::make_shared<FailingReads>();
        f.useBackend(ports);
        Prepare(*f.window);
        const QStringList before = WindowState(*f.window);
        f.window->Command2_Click();
        QCOMPARE(ports->calls(), (std::vector<Call>{Write(889, 255)}));
        QCOMPARE(f.messages, QStringList{kNoAccess});
        QCOMPARE(WindowState(*f.window), before);
    }

    void aFailedListReadPutsBackTheEntryChosenBefore() {
        WindowFixture f;
        // With nothing chosen before, nothing stands chosen after.
        portprov::SelectPortBackend(Unopenable());
        f.window->List1->setCurrentRow(1); // "889": would show read mode
        QCoreApplication::processEvents();
        QCOMPARE(f.messages, QStringList{kNoAccess});
        QVERIFY(f.window->List1->selectedItems().isEmpty());

        f.useBackend(f.ports);
        f.window->List1->setCurrentRow(4); // "632"
        f.ports->failWith(kNoAccess.toStdString());
        f.messages.clear();
        f.ports->clearCalls();
        QVERIFY(f.showActive());
        f.window->List1->setFocus();
        const QStringList before = WindowState(*f.window);
        // By keyboard, twice: the second Down tries "633" again, not "634".
        for (int attempt = 1; attempt <= 2; ++attempt) {
            QTest::keyClick(f.window->List1, Qt::Key_Down);
            QCoreApplication::processEvents();
            QCOMPARE(f.messages.size(), attempt);
            QCOMPARE(WindowState(*f.window), before);
            QCOMPARE(f.window->List1->currentRow(), 4);
        }
        QVERIFY(f.calls().empty());

        // Once the ports can be reached, the same entry works, by mouse too.
        f.messages.clear();
        f.useBackend(std::make_shared<portprov::RecordingPorts>());
        f.window->List1->setCurrentRow(5);
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.window->Text1->text(), QStringLiteral("633"));
        QCOMPARE(f.window->lblValue->text(), QStringLiteral("255"));
    }

    void messagesHaveTheProgramsTitleAndOkOnly() {
        QString title, text;
        QList<QAbstractButton*> buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            title = box->windowTitle();
            text = box->text();
            buttons = box->buttons();
            QVERIFY(box->button(QMessageBox::Ok) != nullptr);
            box->button(QMessageBox::Ok)->click();
        });
        ShowMessageBox(nullptr, kNoAccess);
        QCOMPARE(title, QStringLiteral("Portprov"));
        QCOMPARE(text, kNoAccess);
        QCOMPARE(buttons.size(), 1);
    }
};

QTEST_MAIN(WindowPortFailureTest)
#include "WindowPortFailureTest.moc"
