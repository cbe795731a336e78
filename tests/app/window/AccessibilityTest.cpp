// SPDX-License-Identifier: MIT
// What a screen reader gets from the window: the accessibility tree that Qt
// exposes (to AT-SPI on Linux) names every control in Swedish and describes
// what each lamp and the value display show, also after a failed command.
#include "WindowFixture.h"

#include <QAccessible>
#include <QPushButton>

namespace {

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// Every node of the tree below `node` without a name, as "role object".
void CollectUnnamed(QAccessibleInterface* node, QStringList& unnamed) {
    if (node->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << QStringLiteral("%1 %2")
                       .arg(node->role())
                       .arg(node->object() ? node->object()->objectName() : QString());
    for (int i = 0; i < node->childCount(); ++i)
        CollectUnnamed(node->child(i), unnamed);
}

// The lamps whose description does not say what their colour shows. Black
// lamps are the ground pins, named by their line ("Stift 18, jord").
QStringList Mismatched(const frmPortCom& window) {
    QList<QLabel*> lamps;
    for (int i = 1; i <= 8; ++i)
        lamps << window.lblBin[i];
    for (int pin = 1; pin <= 25; ++pin)
        lamps << window.Lpt[pin];
    QStringList wrong;
    for (QLabel* lamp : lamps) {
        const QString name = Accessible(lamp)->text(QAccessible::Name);
        const char letter = LampLetter(lamp);
        const QString expected = letter == 'R'   ? name + QStringLiteral(": hög")
                                 : letter == 'W' ? name + QStringLiteral(": låg")
                                                 : name;
        const QString said = Accessible(lamp)->text(QAccessible::Description);
        if (said != expected || (letter == 'B') != name.endsWith(QStringLiteral(", jord")))
            wrong << lamp->objectName() + QStringLiteral(" says ") + said;
    }
    return wrong;
}

QString Description(QWidget* widget) {
    return Accessible(widget)->text(QAccessible::Description);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyNodeOfTheWindowHasAName() {
        WindowFixture f;
        QVERIFY(f.showActive());
        QStringList unnamed;
        CollectUnnamed(Accessible(f.window.get()), unnamed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
        QCOMPARE(Accessible(f.window->Command3)->text(QAccessible::Name),
                 QStringLiteral("Skriva till Register 890"));
        QCOMPARE(Accessible(f.window->Lpt[1])->text(QAccessible::Name),
                 QStringLiteral("Stift 1, Strobe"));
    }

    void lampsAndTheValueDisplayTellWhatTheyShow() {
        WindowFixture f;
        QVERIFY(Mismatched(*f.window).isEmpty());
        QCOMPARE(Description(f.window->lblValue), QString::fromUtf8("Läst värde: inget"));

        f.window->Text2->setText(QStringLiteral("170")); // 10101010
        f.ports->scriptRead(888, 170);
        f.window->Command2_Click();
        QCOMPARE(Description(f.window->lblBin[1]), QString::fromUtf8("Bit 7: hög"));
        QCOMPARE(Description(f.window->lblBin[8]), QString::fromUtf8("Bit 0: låg"));
        QCOMPARE(Description(f.window->Lpt[2]), QString::fromUtf8("Stift 2, D0: låg"));
        QCOMPARE(Description(f.window->Lpt[9]), QString::fromUtf8("Stift 9, D7: hög"));
        QCOMPARE(Description(f.window->Lpt[18]), QStringLiteral("Stift 18, jord"));
        QCOMPARE(Description(f.window->lblValue), QString::fromUtf8("Läst värde: 170"));

        f.window->Text2->setText(QStringLiteral("11")); // strobe, auto feed, select in
        f.window->Command3_Click();
        QVERIFY2(Mismatched(*f.window).isEmpty(), qPrintable(Mismatched(*f.window).join(u"; ")));

        // A failed command puts the colours back, and what is said with them.
        f.ports->failWith("ingen port");
        f.window->Text2->setText(QStringLiteral("85")); // 01010101 over 00001011
        f.window->Command2_Click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(Description(f.window->lblBin[2]), QString::fromUtf8("Bit 6: låg"));
        QVERIFY2(Mismatched(*f.window).isEmpty(), qPrintable(Mismatched(*f.window).join(u"; ")));
        QCOMPARE(Description(f.window->lblValue), QString::fromUtf8("Läst värde: 170"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
