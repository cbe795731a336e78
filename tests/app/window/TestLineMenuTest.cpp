// SPDX-License-Identifier: MIT
// Verktyg → Skriv testrad: the dated line reaches the printer at LPT1 and the
// message says how many bytes went.
#include "WindowFixture.h"
#include "ports/simulated/SimulatedPc.h"

#include <QAction>
#include <QRegularExpression>

class TestLineMenuTest : public QObject {
    Q_OBJECT

private slots:
    void theLineReachesThePrinterAndTheMessageCountsItsBytes() {
        WindowFixture f;
        // Its time moves a microsecond at each look, so that the printer's
        // Ack pulse is seen however busy the machine is.
        auto now = std::make_shared<std::chrono::nanoseconds>();
        auto pc = std::make_shared<portprov::SimulatedPc>(
            [now] { return *now += std::chrono::microseconds(1); });
        pc->attachPrinter();
        f.useBackend(pc);
        f.window->mnuTestLine->trigger();
        const QString printed =
            QString::fromLatin1(reinterpret_cast<const char*>(pc->printedBytes().data()),
                                static_cast<qsizetype>(pc->printedBytes().size()));
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^Portprov testrad \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d\r\n$"))
                     .match(printed)
                     .hasMatch(),
                 qPrintable(printed));
        QCOMPARE(
            f.messages,
            QStringList{QString::fromUtf8("Testraden gick till skrivaren på LPT1 (888): %1 byte.")
                            .arg(printed.size())});
    }
};

QTEST_MAIN(TestLineMenuTest)
#include "TestLineMenuTest.moc"
