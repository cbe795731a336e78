// SPDX-License-Identifier: MIT
// Line breaking of the hint label, and the command line of the program.
#include "desktop/CommandLine.h"
#include "desktop/ToolkitTranslations.h"
#include "widgets/ClassicWrapLabel.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <memory>

namespace {

// Every character one unit wide, spaces too.
ClassicTextMetrics Units() {
    return {[](const QString& word) { return static_cast<qreal>(word.size()); }, 1.0};
}

int probes = 0;
QString Probe(bool) {
    ++probes;
    return QStringLiteral("Portarna nås genom ioperm.");
}

} // namespace

class TextLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void wrapsWhereTheNextWordDoesNotFit() {
        QCOMPARE(WrapLikeClassicLabel(QStringLiteral("aaa bbb"), Units(), 7),
                 QStringList{QStringLiteral("aaa bbb")});
        QCOMPARE(WrapLikeClassicLabel(QStringLiteral("aaa bbb"), Units(), 6),
                 (QStringList{QStringLiteral("aaa"), QStringLiteral("bbb")}));
        // The spaces before a word count, and are dropped at the break.
        QCOMPARE(WrapLikeClassicLabel(QStringLiteral("a     b c"), Units(), 6),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b c")}));
        QCOMPARE(WrapLikeClassicLabel(QStringLiteral("a    b"), Units(), 6),
                 QStringList{QStringLiteral("a    b")});
        // Leading and trailing spaces make no empty lines.
        QCOMPARE(WrapLikeClassicLabel(QStringLiteral("   a  "), Units(), 6),
                 QStringList{QStringLiteral("a")});
        QCOMPARE(WrapLikeClassicLabel(QString(), Units(), 6), QStringList{});
    }

    void breaksAWordWiderThanTheLine() {
        QCOMPARE(WrapLikeClassicLabel(QStringLiteral("x abcdefgh y"), Units(), 3),
                 (QStringList{QStringLiteral("x"), QStringLiteral("abc"), QStringLiteral("def"),
                              QStringLiteral("gh"), QStringLiteral("y")}));
        QCOMPARE(
            WrapLikeClassicLabel(QStringLiteral("abcdefg h"), Units(), 3),
            (QStringList{QStringLiteral("abc"), QStringLiteral("def"), QStringLiteral("g h")}));
    }

    void lineWidthCountsEverySpace() {
        const ClassicTextMetrics wide{
            [](const QString& word) { return 2.0 * static_cast<qreal>(word.size()); }, 3.0};
        QCOMPARE(wide.lineWidth(QStringLiteral("ab  c")), 2 * 2 + 2 * 3 + 2 * 1.0);
    }

    void helpTellsTheWayToThePortsOnlyWhenAsked() {
        probes = 0;
        CommandLine line = ReadCommandLine({"portprov", "--simulate"}, false, Probe);
        QVERIFY(line.simulate);
        QVERIFY(!line.textToPrint);
        QCOMPARE(probes, 0);

        line = ReadCommandLine({"portprov", "--help"}, false, Probe);
        QVERIFY(line.textToPrint);
        QCOMPARE(line.exitCode, 0);
        QVERIFY(line.textToPrint->contains(QStringLiteral("--simulate")));
        QVERIFY(line.textToPrint->contains(QStringLiteral("Portarna nås genom ioperm.")));
        QCOMPARE(probes, 1);
    }

    // A bad command line ends with 2 also beside --help or --version, and an
    // unknown option is named whole and as typed, dashes and all.
    void aBadCommandLineEndsWith2() {
        const ToolkitTranslations swedish;
        const std::vector<std::pair<QStringList, QString>> table{
            {{"portprov", "--help", "--bogus"}, QString::fromUtf8("Okänd flagga '--bogus'.")},
            {{"portprov", "--version", "-x"}, QString::fromUtf8("Okänd flagga '-x'.")},
            {{"portprov", "--simulate", "-platform"},
             QString::fromUtf8("Okänd flagga '-platform'.")},
            {{"portprov", "-xyz", "--read", "888"}, QString::fromUtf8("Okänd flagga '-xyz'.")},
            {{"portprov", "--plug=-x", "--x=1", "--simulate"},
             QString::fromUtf8("Okänd flagga '--x'.")},
            {{"portprov", "--simulate", "--read="}, QStringLiteral("--read saknar adress")},
            {{"portprov", "--simulate", "--plug=data", "--plug", "control"},
             QString::fromUtf8("--plug står med olika kopplingar: data, control")},
            // The signal options are named from their one list.
            {{"portprov", "--port", "888"},
             QString::fromUtf8("--port hör till --square, --pulses eller --play.\n")},
            {{"portprov", "--square", "2:1000", "--pulses", "2:1:1"},
             QString::fromUtf8("Välj en signal: --square, --pulses eller --play, en gång.\n")},
            {{"portprov", "--play", "a.csv", "--info"},
             QString::fromUtf8("--square, --pulses och --play kan inte stå med --read, --write "
                               "eller --info.\n")}};
        for (const auto& [arguments, start] : table) {
            for (const bool beforeToolkit : {true, false}) {
                const CommandLine line = ReadCommandLine(arguments, beforeToolkit, Probe);
                QVERIFY2(line.textToPrint.value_or(QString()).startsWith(start),
                         qPrintable(arguments.join(' ') + ": " + line.textToPrint.value_or("")));
                QCOMPARE(line.exitCode, 2);
            }
        }
    }

    void versionAndUnknownOptions() {
        QCoreApplication::setApplicationName(QStringLiteral("Portprov"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
        CommandLine line = ReadCommandLine({"portprov", "--version"}, false, Probe);
        QCOMPARE(line.textToPrint.value_or(QString()), QStringLiteral("Portprov 1.2.3\n"));

        line = ReadCommandLine({"portprov", "--simulera"}, false, Probe);
        QCOMPARE(line.exitCode, 2);
        QVERIFY(line.textToPrint);
        // Before the window toolkit has taken its own options, they pass.
        line = ReadCommandLine({"portprov", "-platform", "offscreen", "--simulate", "-style=fusion",
                                "--reverse", "-geometry", "100x100"},
                               true, Probe);
        QVERIFY(!line.textToPrint);
        QVERIFY(line.simulate);
        // Anything else unknown is refused before the toolkit starts, which
        // without a screen would end the program with an abort.
        for (const QStringList& arguments :
             {QStringList{"portprov", "--bogus"}, QStringList{"portprov", "--simulate", "extra"}}) {
            line = ReadCommandLine(arguments, true, Probe);
            QVERIFY2(line.textToPrint, qPrintable(arguments.join(' ')));
            QCOMPARE(line.exitCode, 2);
        }
        line = ReadCommandLine({"portprov", "extra"}, false, Probe);
        QCOMPARE(line.exitCode, 2);
    }

    void portOperationsInTheirOrder() {
        CommandLine line = ReadCommandLine(
            {"portprov", "--write", "888", "85", "--simulate", "--read", "888"}, true, Probe);
        QVERIFY(!line.textToPrint);
        QVERIFY(line.simulate);
        using Kind = portprov::PortOperation::Kind;
        QVERIFY((line.operations == std::vector<portprov::PortOperation>{{Kind::Write, "888", "85"},
                                                                         {Kind::Read, "888", ""}}));

        // A bad command line ends with 2, also where the toolkit's options
        // would otherwise pass: there is no window beside an operation.
        for (const QStringList& arguments :
             {QStringList{"portprov", "--read"}, QStringList{"portprov", "--write", "888"},
              QStringList{"portprov", "--read", "888", "--simulera"},
              QStringList{"portprov", "--read", "888", "-platform", "offscreen"},
              QStringList{"portprov", "--read", "888", "889"}}) {
            line = ReadCommandLine(arguments, true, Probe);
            QVERIFY2(line.textToPrint, qPrintable(arguments.join(' ')));
            QCOMPARE(line.exitCode, 2);
        }
        line = ReadCommandLine({"portprov", "--help"}, false, Probe);
        QVERIFY(line.textToPrint->contains(QString::fromUtf8("--write <adress> <värde>")));
    }

    void aPlugGoesIntoTheSimulatedPcOnly() {
        CommandLine line = ReadCommandLine({"portprov", "--simulate", "--plug=data"}, false, Probe);
        QVERIFY(!line.textToPrint);
        QVERIFY(line.plug == portprov::LoopbackPlug::Data);
        line = ReadCommandLine({"portprov", "--plug", "control", "--simulate"}, false, Probe);
        QVERIFY(line.plug == portprov::LoopbackPlug::Control);
        QVERIFY(!ReadCommandLine({"portprov", "--simulate"}, false, Probe).plug);
        line = ReadCommandLine({"portprov", "--simulate", "--plug=printer"}, false, Probe);
        QVERIFY(line.printer && !line.plug && !line.textToPrint);
        // Refused already before the toolkit starts, with status 2.
        for (const bool beforeToolkit : {true, false}) {
            line = ReadCommandLine({"portprov", "--plug=control"}, beforeToolkit, Probe);
            QCOMPARE(line.exitCode, 2);
            QCOMPARE(line.textToPrint.value_or(QString()),
                     QStringLiteral("--plug fungerar bara med --simulate.\n"));
            line = ReadCommandLine({"portprov", "--simulate", "--plug=loop"}, beforeToolkit, Probe);
            QCOMPARE(line.exitCode, 2);
            QVERIFY(!line.plug);
            QCOMPARE(
                line.textToPrint.value_or(QString()),
                QString::fromUtf8("Okänd koppling: loop (välj control, data eller printer)\n"));
        }
        // The help names every plug with its pins (the lines wrapped as the parser does).
        line = ReadCommandLine({"portprov", "--help"}, false, Probe);
        QVERIFY(line.textToPrint->simplified().contains(QString::fromUtf8(
            "porten 888, control (stift 1-13, 2-15, 14-12, 16-10, 17-11) eller data (stift 2-15, "
            "3-13, 4-12, 5-10, 6-11), eller printer: en skrivare som")));
    }

    // The toolkit's own texts that a user meets are Swedish too.
    void toolkitTextsInSwedish() {
        const ToolkitTranslations swedish;

        CommandLine line = ReadCommandLine({"portprov", "--help"}, false, Probe);
        QVERIFY(line.textToPrint);
        QVERIFY2(line.textToPrint->contains(QString::fromUtf8("Användning:")),
                 qPrintable(*line.textToPrint));
        QVERIFY(line.textToPrint->contains(QStringLiteral("Flaggor:")));
        QVERIFY(!line.textToPrint->contains(QStringLiteral("Usage")));
        line = ReadCommandLine({"portprov", "--simulera", "--x"}, false, Probe);
        QVERIFY2(
            line.textToPrint->startsWith(QString::fromUtf8("Okända flaggor: --simulera, --x.")),
            qPrintable(*line.textToPrint));

        QLineEdit box;
        box.setText(QStringLiteral("888"));
        const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList items;
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator())
                items << action->text().section(QLatin1Char('\t'), 0, 0);
        }
        QCOMPARE(items, (QStringList{QString::fromUtf8("&Ångra"), QStringLiteral("&Gör om"),
                                     QStringLiteral("Klipp &ut"), QStringLiteral("&Kopiera"),
                                     QStringLiteral("Klistra &in"), QStringLiteral("Ta bort"),
                                     QStringLiteral("Markera alla")}));
    }
};

QTEST_MAIN(TextLayoutTest)
#include "TextLayoutTest.moc"
