// SPDX-License-Identifier: MIT
// Verktyg → Portinfo…: the kernel's account at once, the probe only on its
// button, and a failed access shown with the dialog left usable.
#include "portinfo/PortinfoDialog.h"
#include "WindowFixture.h"
#include "ports/simulated/SimulatedPc.h"

#include <QPushButton>
#include <QTableWidget>

namespace {

// The simulated PC, counting the accesses that reach it.
struct CountingPc : portprov::SimulatedPc {
    int accesses = 0;
    std::uint8_t read(std::uint16_t port) override {
        ++accesses;
        return SimulatedPc::read(port);
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        ++accesses;
        SimulatedPc::write(port, value);
    }
};

QString Cell(const PortinfoDialog* dialog, int row, int column) {
    return dialog->grdPorts->item(row, column)->text();
}

} // namespace

class PortinfoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void probesOnlyOnItsButtonAndShowsEachPortsModes() {
        WindowFixture f;
        auto pc = std::make_shared<CountingPc>();
        f.useBackend(pc);
        portprov::KernelPortAccount account{"parport0", 888, {true, true, false, false},
                                            7,          {},  {"MFG:ACME; MDL:P1;"}};
        f.window->setKernelAccountReader([&] { return std::vector{account}; });
        f.window->mnuPortinfo->trigger();
        auto* dialog = f.window->findChild<PortinfoDialog*>();
        QVERIFY(dialog);
        QCOMPARE(Cell(dialog, 0, 1), QString::fromUtf8("SPP, PS/2 — irq 7\n"
                                                       "Apparat på porten (IEEE 1284): MFG:ACME; "
                                                       "MDL:P1;"));
        QCOMPARE(Cell(dialog, 1, 1), QStringLiteral("inga uppgifter"));
        QCOMPARE(pc->accesses, 0);

        dialog->cmdProbe->click();
        QCOMPARE(Cell(dialog, 0, 2),
                 QString::fromUtf8("SPP, PS/2, EPP, ECP\nEPP, ECP: kärnan nej, Portprov ja"));
        QCOMPARE(Cell(dialog, 1, 2), QStringLiteral("SPP, PS/2"));
        QCOMPARE(Cell(dialog, 2, 2), QStringLiteral("SPP"));
        QVERIFY(f.messages.isEmpty());

        // The port stops answering: one message, the dialog still there to try again.
        f.useBackend(f.ports);
        f.ports->failWith("Porten svarar inte.");
        dialog->cmdProbe->click();
        QCOMPARE(f.messages, QStringList{QStringLiteral("Porten svarar inte.")});
        QCOMPARE(Cell(dialog, 0, 2), QStringLiteral("avbrutet"));
        QCOMPARE(Cell(dialog, 1, 2), QString::fromUtf8("inte undersökt"));
        QVERIFY(dialog->isVisible() && dialog->cmdProbe->isEnabled());
    }
};

QTEST_MAIN(PortinfoDialogTest)
#include "PortinfoDialogTest.moc"
