// SPDX-License-Identifier: MIT
// Checks the painted connector, legend and icon on their pixels: each lamp lies
// on its drawn contact at every scale, the labels stay clear of the lamps, the
// legend's texts are whole, and the icon keeps its shape at every size.
#include "art/ConnectorDrawing.h"
#include "art/IconArt.h"
#include "art/LegendDrawing.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QImage Render(QSize logical, int scale, void (*paint)(QPainter&)) {
    QImage image(logical * scale, QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::magenta); // shows anything the drawing leaves unpainted
    QPainter painter(&image);
    paint(painter);
    return image;
}

// How many device pixels of a logical rectangle pass a check.
template <typename Check> int CountPixels(const QImage& image, QRect logical, Check check) {
    const int s = static_cast<int>(image.devicePixelRatio());
    int count = 0;
    for (int y = logical.top() * s; y < (logical.bottom() + 1) * s; ++y) {
        for (int x = logical.left() * s; x < (logical.right() + 1) * s; ++x) {
            count += check(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

template <typename Check> bool AllPixels(const QImage& image, QRect logical, Check check) {
    const int s = static_cast<int>(image.devicePixelRatio());
    return CountPixels(image, logical, check) == logical.width() * logical.height() * s * s;
}

QColor At(const QImage& image, int x, int y) {
    const int s = static_cast<int>(image.devicePixelRatio());
    return image.pixelColor(x * s + s / 2, y * s + s / 2);
}

bool IsDark(const QColor& c) {
    return c.red() < 90 && c.green() < 90 && c.blue() < 90;
}
bool IsNavy(const QColor& c) {
    return c.blue() > 70 && c.blue() > c.red() + 40 && c.blue() > c.green() + 40;
}
bool IsOlive(const QColor& c) {
    return c.red() > 90 && c.green() > 90 && c.blue() < 50;
}
bool IsWindowTeal(const QColor& c) {
    return c == QColor(0, 128, 128);
}
bool IsRed(const QColor& c) {
    return c.alpha() == 255 && c.red() > 100 && c.red() > 2 * std::max(c.green(), c.blue()) + 40;
}
bool IsTeal(const QColor& c) {
    return c.alpha() == 255 && c.green() > c.red() + 40 && c.blue() > c.red() + 40 &&
           std::abs(c.green() - c.blue()) < 40;
}

QRect LampRect(int pin) {
    return {connector::LampTopLeft(pin), QSize(connector::kLampSize, connector::kLampSize)};
}

} // namespace

class ArtTest : public QObject {
    Q_OBJECT

private slots:
    void connectorLampsLieOnTheirContacts_data();
    void connectorLampsLieOnTheirContacts();
    void connectorLabelsStayClearOfTheLamps();
    void legendRowsAndTexts_data();
    void legendRowsAndTexts();
    void iconKeepsItsShapeAtEverySize_data();
    void iconKeepsItsShapeAtEverySize();
    void iconExportWritesEveryRendition();
};

void ArtTest::connectorLampsLieOnTheirContacts_data() {
    QTest::addColumn<int>("scale");
    QTest::newRow("100 %") << 1;
    QTest::newRow("200 %") << 2;
    QTest::newRow("300 %") << 3;
}

void ArtTest::connectorLampsLieOnTheirContacts() {
    QFETCH(int, scale);
    const QImage image = Render(connector::kDrawingSize, scale, connector::PaintConnector);
    const QRect drawing(QPoint(0, 0), connector::kDrawingSize);

    for (int pin = 1; pin <= 25; ++pin) {
        const QRect lamp = LampRect(pin);
        QVERIFY2(drawing.contains(lamp), qPrintable(QString::number(pin)));
        // The contact is dark under the whole lamp and in a ring one pixel wide
        // around it, so a lamp of any colour shows as lying on its pin.
        QVERIFY2(AllPixels(image, lamp.adjusted(-1, -1, 1, 1), IsDark),
                 qPrintable(QStringLiteral("contact not under the lamp of pin %1").arg(pin)));
        // Between the rows lies the olive face, not one long dark band.
        const int between = pin <= 13 ? lamp.bottom() + 6 : lamp.top() - 6;
        QVERIFY2(IsOlive(At(image, lamp.center().x(), between)),
                 qPrintable(QStringLiteral("no face beside pin %1").arg(pin)));
    }
    // The bottom row sits half a pitch to the right: between two top contacts
    // the face shows, straight below that gap lies a bottom contact.
    QVERIFY(IsOlive(At(image, LampRect(1).right() + 4, LampRect(1).center().y())));
    QVERIFY(IsDark(At(image, LampRect(1).right() + 4, LampRect(14).center().y())));

    // Rounded shell corners and the mounting holes show the window's teal.
    QVERIFY(IsWindowTeal(At(image, 0, 0)));
    QVERIFY(IsWindowTeal(At(image, 216, 50)));
    QVERIFY(IsWindowTeal(At(image, 8, 25)));
    QVERIFY(IsWindowTeal(At(image, 208, 25)));
    // Nothing is left unpainted.
    QCOMPARE(CountPixels(image, drawing, [](const QColor& c) { return c == QColor(Qt::magenta); }),
             0);
}

void ArtTest::connectorLabelsStayClearOfTheLamps() {
    const QImage image = Render(connector::kDrawingSize, 2, connector::PaintConnector);

    const auto rowEndLeft = [](int pin) {
        return QRect(LampRect(pin).left() - 14, LampRect(pin).top() - 2, 12, 10);
    };
    const auto rowEndRight = [](int pin) {
        return QRect(LampRect(pin).right() + 3, LampRect(pin).top() - 2, 14, 10);
    };
    const auto above = [](int pin) {
        return QRect(LampRect(pin).left() - 4, 3, 14, LampRect(pin).top() - 5);
    };
    const QList<QPair<const char*, QRect>> labels{
        {"1", rowEndLeft(1)},    {"13", rowEndRight(13)}, {"14", rowEndLeft(14)},
        {"25", rowEndRight(25)}, {"D0", above(2)},        {"D7", above(9)},
    };
    for (const auto& [name, area] : labels) {
        QVERIFY2(CountPixels(image, area, IsNavy) >= 8, name);
    }
    for (int pin = 1; pin <= 25; ++pin) {
        QCOMPARE(CountPixels(image, LampRect(pin).adjusted(-1, -1, 1, 1), IsNavy), 0);
    }
}

void ArtTest::legendRowsAndTexts_data() {
    QTest::addColumn<int>("scale");
    QTest::newRow("100 %") << 1;
    QTest::newRow("200 %") << 2;
}

void ArtTest::legendRowsAndTexts() {
    QFETCH(int, scale);
    const QImage image = Render(legend::kDrawingSize, scale, legend::PaintLegend);
    const int width = legend::kDrawingSize.width();
    const int rowHeight = legend::kDrawingSize.height() / 3;

    const QColor squares[] = {QColor(255, 0, 0), QColor(255, 255, 255), QColor(0, 0, 0)};
    for (int row = 0; row < 3; ++row) {
        const int top = row * rowHeight;
        // The first filled square from the left is the row's colour.
        bool found = false;
        for (int x = 0; x < 20 && !found; ++x) {
            found = AllPixels(image, QRect(x, top + rowHeight / 2 - 2, 4, 4),
                              [&](const QColor& c) { return c == squares[row]; });
        }
        QVERIFY2(found, qPrintable(QStringLiteral("square of row %1").arg(row + 1)));
        // The row's text is there, in black, right of its square.
        QVERIFY(CountPixels(image, QRect(20, top, width - 20, rowHeight), IsDark) > 30);
    }
    // The texts end inside the drawing: the outermost columns and lines are
    // plain teal, with no letter cut off at the edge.
    for (const QRect& edge :
         {QRect(width - 1, 0, 1, 57), QRect(0, 0, width, 1), QRect(0, 56, width, 1)}) {
        QVERIFY(AllPixels(image, edge, IsWindowTeal));
    }
}

void ArtTest::iconKeepsItsShapeAtEverySize_data() {
    QTest::addColumn<int>("size");
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QTest::newRow(qPrintable(QString::number(size))) << size;
    }
}

void ArtTest::iconKeepsItsShapeAtEverySize() {
    QFETCH(int, size);
    const QImage icon = iconart::PaintIcon(size).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());

    const int last = size - 1;
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)}) {
        QCOMPARE(icon.pixelColor(corner).alpha(), 0);
    }
    // Red balls above and below the middle, teal ones left and right of it.
    const int mid = size / 2;
    const int near = size / 8;
    QVERIFY(IsRed(icon.pixelColor(mid, near)));
    QVERIFY(IsRed(icon.pixelColor(mid, last - near)));
    QVERIFY(IsTeal(icon.pixelColor(near, mid)));
    QVERIFY(IsTeal(icon.pixelColor(last - near, mid)));
    // Each ball carries a white highlight.
    QVERIFY(CountPixels(icon, icon.rect(), [](const QColor& c) {
                return c.alpha() == 255 && c.red() > 220 && c.green() > 220 && c.blue() > 220;
            }) >= 4);
}

void ArtTest::iconExportWritesEveryRendition() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString folder = temp.filePath(QStringLiteral("mapp med mellanslag"));

    QCOMPARE(QProcess::execute(QStringLiteral(PORTPROV_ICONS_TOOL), {folder}), 0);
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QImage png(
            QDir(folder).filePath(QStringLiteral("icons/%1x%1/portprov.png").arg(size)));
        QCOMPARE(png.size(), QSize(size, size));
        QCOMPARE(png.convertToFormat(QImage::Format_ARGB32),
                 iconart::PaintIcon(size).convertToFormat(QImage::Format_ARGB32));
    }
    // The Windows icon file holds the 16, 32, 48 and 256 pixel renditions.
    QImageReader ico(QDir(folder).filePath(QStringLiteral("icons/portprov.ico")), "ico");
    QCOMPARE(ico.imageCount(), 4);
    QList<int> sizes;
    for (int i = 0; i < ico.imageCount(); ++i) {
        QVERIFY(ico.jumpToImage(i));
        const QImage image = ico.read();
        QCOMPARE(image.width(), image.height());
        QCOMPARE(image.convertToFormat(QImage::Format_ARGB32),
                 iconart::PaintIcon(image.width()).convertToFormat(QImage::Format_ARGB32));
        sizes.append(image.width());
    }
    QCOMPARE(sizes, QList<int>({16, 32, 48, 256}));

    // Without a folder, or where none can be made, it fails instead of
    // reporting success.
    QVERIFY(QProcess::execute(QStringLiteral(PORTPROV_ICONS_TOOL), {}) != 0);
    QFile blocker(temp.filePath(QStringLiteral("fil")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(QProcess::execute(QStringLiteral(PORTPROV_ICONS_TOOL), {blocker.fileName()}) != 0);
}

QTEST_MAIN(ArtTest)
#include "ArtTest.moc"
