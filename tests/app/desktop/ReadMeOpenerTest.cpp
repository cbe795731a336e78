// SPDX-License-Identifier: MIT
// "Läs Mig" through the desktop's document opener: the window's own starter
// runs an opener found on the PATH, here a small script standing in for
// xdg-open, and tells the user when the opener could not open the read-me.
#include "WindowFixture.h"
#include "desktop/ReadMeLaunch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

bool WriteFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// A folder with the read-me and a bin folder that is the whole PATH while a
// test runs; the PATH is put back afterwards.
struct OpenerSandbox {
    QTemporaryDir folder;
    QByteArray savedPath = qgetenv("PATH");

    OpenerSandbox() {
        QDir(folder.path()).mkpath(QStringLiteral("bin"));
        WriteFile(document(), "{\\rtf1 }");
        qputenv("PATH", binFolder().toLocal8Bit());
    }
    ~OpenerSandbox() { qputenv("PATH", savedPath); }

    QString binFolder() const { return folder.filePath(QStringLiteral("bin")); }
    QString document() const { return folder.filePath(QString::fromLatin1(kReadMeName)); }
    QString record() const { return folder.filePath(QStringLiteral("opened.txt")); }

    // An opener that writes down its argument and ends with the given status.
    bool installOpener(int exitStatus) const {
        const QString script = QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" > '%1'\nexit %2\n")
                                   .arg(record())
                                   .arg(exitStatus);
        const QString path = QDir(binFolder()).filePath(QStringLiteral("xdg-open"));
        return WriteFile(path, script.toUtf8()) &&
               QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

} // namespace

class ReadMeOpenerTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
#ifdef Q_OS_WIN
        QSKIP("the document opener is the Linux desktop's");
#endif
    }

    void anOpenerThatOpensTheReadMeSaysNothing() {
        OpenerSandbox sandbox;
        QVERIFY(sandbox.folder.isValid());
        QVERIFY(sandbox.installOpener(0));
        WindowFixture f;
        f.window->setReadMeFolders(sandbox.folder.path(), {});
        const QStringList before = WindowState(*f.window);

        f.window->mnuRead_Click();
        QTRY_VERIFY(QFile::exists(sandbox.record()));
        // Give the opener's end time to arrive before looking.
        QTest::qWait(300);
        QVERIFY(f.messages.isEmpty());
        QFile record(sandbox.record());
        QVERIFY(record.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(record.readAll()).trimmed(),
                 QDir::toNativeSeparators(sandbox.document()));
        QCOMPARE(WindowState(*f.window), before);
        QVERIFY(f.calls().empty());
    }

    void anOpenerThatFailsSaysWhatToMend() {
        // xdg-open ends with 2 when the file is not there, with 3 when no
        // program on the desktop opens RTF, and with 4 when the one it chose failed.
        for (const int status : {2, 3, 4}) {
            OpenerSandbox sandbox;
            QVERIFY(sandbox.folder.isValid());
            QVERIFY(sandbox.installOpener(status));
            WindowFixture f;
            f.window->setReadMeFolders(sandbox.folder.path(), {});
            const QStringList before = WindowState(*f.window);

            f.window->mnuRead_Click();
            QTRY_COMPARE(f.messages.size(), 1);
            const QString said = f.messages.front();
            QVERIFY2(said.contains(sandbox.document()), qPrintable(said));
            if (status == 2)
                QVERIFY2(said.contains(QString::fromUtf8("saknas")), qPrintable(said));
            else
                QCOMPARE(said,
                         QString::fromUtf8("Hittade inget program som kan visa läs mig-filen, ett "
                                           "RTF-dokument:\n%1\n\nInstallera ett, till exempel "
                                           "LibreOffice Writer (paketet libreoffice-writer) eller "
                                           "AbiWord (paketet abiword).")
                             .arg(sandbox.document()));
            QCOMPARE(WindowState(*f.window), before);
        }
    }

    void noOpenerAtAllSaysToInstallIt() {
        OpenerSandbox sandbox;
        QVERIFY(sandbox.folder.isValid());
        WindowFixture f;
        f.window->setReadMeFolders(sandbox.folder.path(), {});
        f.window->mnuRead_Click();
        QCOMPARE(f.messages,
                 QStringList{QString::fromUtf8(
                     "Kunde inte starta xdg-open, som öppnar läs mig-filen i skrivbordets program "
                     "för RTF-dokument.\n\nInstallera paketet xdg-utils.")});
    }
};

QTEST_MAIN(ReadMeOpenerTest)
#include "ReadMeOpenerTest.moc"
