// SPDX-License-Identifier: MIT
// The program's style hands out Fusion's standard icons, some of them read
// only when drawn: drawn, each must be exactly Fusion's.
#include "widgets/ProgramStyle.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QStyleFactory>
#include <QTest>

#include <memory>

class ProgramStyleTest : public QObject {
    Q_OBJECT

private slots:
    void standardIconsAreFusions_data() {
        QTest::addColumn<int>("which");
        QTest::newRow("menu bar overflow") << int(QStyle::SP_ToolBarHorizontalExtensionButton);
        QTest::newRow("tool bar overflow") << int(QStyle::SP_ToolBarVerticalExtensionButton);
        QTest::newRow("warning") << int(QStyle::SP_MessageBoxWarning);
        QTest::newRow("information") << int(QStyle::SP_MessageBoxInformation);
    }

    void standardIconsAreFusions() {
        QFETCH(int, which);
        const auto pixmap = static_cast<QStyle::StandardPixmap>(which);
        ProgramStyle ours;
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        const QIcon expected = fusion->standardIcon(pixmap);
        const QIcon icon = ours.standardIcon(pixmap);
        QVERIFY(!expected.isNull());
        QVERIFY(!icon.isNull());
        for (const int size : {8, 16, 32}) {
            QCOMPARE(icon.actualSize(QSize(size, size)), expected.actualSize(QSize(size, size)));
            for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                QCOMPARE(icon.pixmap(size, mode).toImage(), expected.pixmap(size, mode).toImage());
                // On a screen of twice the density.
                const QSize at(size, size);
                QCOMPARE(icon.pixmap(at, 2.0, mode).toImage(),
                         expected.pixmap(at, 2.0, mode).toImage());
            }
        }
        // A copy of the icon, as a button keeps, draws the same.
        const QIcon copy = icon;
        QCOMPARE(copy.pixmap(16).toImage(), expected.pixmap(16).toImage());
    }
};

QTEST_MAIN(ProgramStyleTest)
#include "ProgramStyleTest.moc"
