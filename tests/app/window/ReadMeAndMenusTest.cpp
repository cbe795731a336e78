// SPDX-License-Identifier: MIT
// The menu commands: closing the window, and opening the read-me in the
// system's word processor, with the path handed over whole.
#include "WindowFixture.h"
#include "desktop/ProgramStarter.h"
#include "desktop/ReadMeLaunch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class RecordingStarter : public ProgramStarter {
public:
    explicit RecordingStarter(bool succeed) : succeed_(succeed) {}
    bool start(const LaunchAttempt& attempt) override {
        attempts.append(attempt);
        return succeed_;
    }
    QList<LaunchAttempt> attempts;

private:
    bool succeed_;
};

bool Create(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("{\\rtf1 }") > 0;
}

} // namespace

class ReadMeAndMenusTest : public QObject {
    Q_OBJECT

private slots:
    void readMeIsFoundBesideTheProgramElseInTheDataFolder() {
        const auto only = [](const QString& existing) {
            return [existing](const QString& path) { return path == existing; };
        };
        const QString bin = QStringLiteral("/opt/pp/bin");
        const QStringList data{QStringLiteral("../share/portprov"),
                               QStringLiteral("/usr/share/portprov")};
        const QString beside = QDir::toNativeSeparators(QStringLiteral("/opt/pp/bin/Doruv.rtf"));
        QCOMPARE(ReadMePath(bin, data, only(QStringLiteral("/opt/pp/bin/Doruv.rtf"))), beside);
        // An installed tree, wherever it was put.
        QCOMPARE(ReadMePath(bin, data, only(QStringLiteral("/opt/pp/share/portprov/Doruv.rtf"))),
                 QDir::toNativeSeparators(QStringLiteral("/opt/pp/share/portprov/Doruv.rtf")));
        QCOMPARE(ReadMePath(bin, data, only(QStringLiteral("/usr/share/portprov/Doruv.rtf"))),
                 QDir::toNativeSeparators(QStringLiteral("/usr/share/portprov/Doruv.rtf")));
        // Missing everywhere: the viewer is asked for it beside the program and says so.
        QCOMPARE(ReadMePath(bin, data, only(QString())), beside);
    }

    void linuxHandsThePathOverAsOneArgument() {
        const QString path = QStringLiteral("/home/anna/Mina program/port prov/Doruv.rtf");
        const QList<LaunchAttempt> attempts = LinuxReadMeLaunch(path);
        QCOMPARE(attempts.size(), 1);
        QCOMPARE(attempts.front().program, QStringLiteral("xdg-open"));
        QCOMPARE(attempts.front().arguments, QStringList{path});
    }

    void windowsTriesWordPadThenTheRegisteredProgram() {
        const QString path = QStringLiteral("C:\\Mina verktyg\\Doruv.rtf");
        const QString swedish =
            QString::fromUtf8("C:\\Program Files\\Windows NT\\Tillbehör\\wordpad.exe");
        QList<LaunchAttempt> attempts =
            WindowsReadMeLaunch(path, {QStringLiteral("C:\\Program Files")},
                                [&](const QString& candidate) { return candidate == swedish; });
        QCOMPARE(attempts.size(), 2);
        QCOMPARE(attempts.at(0),
                 (LaunchAttempt{LaunchAttempt::Kind::Program, swedish, QStringList{path}}));
        QCOMPARE(attempts.at(1).kind, LaunchAttempt::Kind::RegisteredProgram);
        QCOMPARE(attempts.at(1).arguments, QStringList{path});

        attempts = WindowsReadMeLaunch(path, {QStringLiteral("C:\\Program Files"), QString()},
                                       [](const QString&) { return false; });
        QCOMPARE(attempts.size(), 1);
        QCOMPARE(attempts.front().kind, LaunchAttempt::Kind::RegisteredProgram);
    }

    void readMeOpensFromAFolderWithSpaces() {
        QTemporaryDir temporary;
        QVERIFY(temporary.isValid());
        const QString folder = temporary.filePath(QStringLiteral("mapp med mellanslag"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(Create(QDir(folder).filePath(QStringLiteral("Doruv.rtf"))));

        WindowFixture f;
        auto starter = std::make_shared<RecordingStarter>(true);
        f.window->setProgramStarter(starter);
        f.window->setReadMeFolders(folder, {});
        f.window->mnuRead_Click();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(starter->attempts.size(), 1);
        QCOMPARE(starter->attempts.front().arguments,
                 QStringList{
                     QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("Doruv.rtf")))});
        QVERIFY(f.calls().empty());
    }

    void failureToStartGivesItsMessage() {
        QTemporaryDir folder;
        QVERIFY(Create(QDir(folder.path()).filePath(QStringLiteral("Doruv.rtf"))));
        WindowFixture f;
        auto starter = std::make_shared<RecordingStarter>(false);
        f.window->setProgramStarter(starter);
        f.window->setReadMeFolders(folder.path(), {});
        const QStringList before = WindowState(*f.window);
        f.window->mnuRead_Click();
        QVERIFY(!starter->attempts.isEmpty());
#ifdef Q_OS_WIN
        QCOMPARE(f.messages,
                 QStringList{QString::fromUtf8(
                     "Kunde inte hitta fil WordPad.exe\r\n\r\nLägg in WordPad i Windows\\System")});
#else
        // Linux names neither WordPad nor a Windows folder: the opener is what is missing.
        QCOMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages.front().contains(QStringLiteral("xdg-open")) &&
                     f.messages.front().contains(QStringLiteral("xdg-utils")) &&
                     !f.messages.front().contains(QStringLiteral("WordPad")),
                 qPrintable(f.messages.front()));
#endif
        QCOMPARE(WindowState(*f.window), before);
    }

    void aMissingReadMeIsNamedWhereItWasLookedFor() {
#ifdef Q_OS_WIN
        QSKIP("on Windows the word processor tells that the document is missing");
#endif
        QTemporaryDir folder;
        WindowFixture f;
        auto starter = std::make_shared<RecordingStarter>(true);
        f.window->setProgramStarter(starter);
        f.window->setReadMeFolders(folder.filePath(QStringLiteral("bin")),
                                   {QStringLiteral("../share/portprov")});
        f.window->mnuRead_Click();
        QVERIFY(starter->attempts.isEmpty());
        QCOMPARE(f.messages,
                 QStringList{QString::fromUtf8("Läs mig-filen Doruv.rtf saknas. Den söktes här:\n"
                                               "%1/bin/Doruv.rtf\n%1/share/portprov/Doruv.rtf\n\n"
                                               "Installera om Portprov för att få tillbaka den.")
                                 .arg(folder.path())});
    }

    void shortcutsRunTheMenuCommands() {
        WindowFixture f;
        auto starter = std::make_shared<RecordingStarter>(true);
        f.window->setProgramStarter(starter);
        QTemporaryDir folder;
        QVERIFY(Create(QDir(folder.path()).filePath(QStringLiteral("Doruv.rtf"))));
        f.window->setReadMeFolders(folder.path(), {});
        QVERIFY(f.showActive());
        QTest::keyClick(f.window.get(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(starter->attempts.size(), 1);
        QVERIFY(f.window->isVisible());

        // Whatever the lamps show, Ctrl+Q closes the window at once.
        f.window->Text2->setText(QStringLiteral("255"));
        f.window->Command2_Click();
        f.window->Text1->setFocus();
        QTest::keyClick(f.window->Text1, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.window->isVisible());
    }
};

QTEST_MAIN(ReadMeAndMenusTest)
#include "ReadMeAndMenusTest.moc"
