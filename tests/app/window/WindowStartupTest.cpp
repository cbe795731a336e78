// SPDX-License-Identifier: MIT
// The window as it opens: places, texts, colours, fonts that fit, the list,
// the menus, the keyboard order and the connector's lamps.
#include "WindowFixture.h"
#include "art/ConnectorPicture.h"
#include "widgets/BitNumbersLabel.h"
#include "widgets/ClassicWrapLabel.h"

#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// Left, top, width, height in twips, as the window was designed; 15 twips
// are one pixel.
struct Placement {
    const char* name;
    int left, top, width, height;
};
const Placement kPlacements[] = {
    {"Command1", 90, 330, 2955, 405},   {"lblValue", 3540, 330, 1275, 405},
    {"List1", 5700, 510, 915, 1260},    {"lblBin1", 210, 1140, 135, 135},
    {"lblBin2", 570, 1140, 135, 135},   {"lblBin3", 870, 1140, 135, 135},
    {"lblBin4", 1200, 1140, 135, 135},  {"lblBin5", 1590, 1140, 135, 135},
    {"lblBin6", 1920, 1140, 135, 135},  {"lblBin7", 2250, 1140, 135, 135},
    {"lblBin8", 2610, 1140, 135, 135},  {"lblBin9", 210, 1350, 2535, 255},
    {"Label1", 3570, 1680, 1185, 255},  {"Command2", 90, 1950, 2955, 435},
    {"Text1", 3540, 1950, 1275, 375},   {"Label3", 5100, 1920, 1815, 1845},
    {"Label2", 3570, 2850, 1275, 195},  {"Command3", 90, 3150, 2955, 435},
    {"Text2", 3540, 3120, 1275, 405},   {"Label5", 120, 3840, 3435, 255},
    {"Picture1", 120, 4170, 3315, 825}, {"Image1", 4080, 4200, 1560, 855},
};

QRect Pixels(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

const QString kHint = QString::fromUtf8(
    "Giltiga Adresser för skrivning är decimal       888 och  890            632 o     634"
    "            956 o     958                  samt GamePort  513 - 520"
    "                                Läsning inget hinder");

} // namespace

class WindowStartupTest : public QObject {
    Q_OBJECT

    WindowFixture f;

    template <typename T> T* control(const char* name) {
        return f.window->findChild<T*>(QString::fromLatin1(name));
    }

private slots:
    void windowIsFixedWithItsCaption() {
        QCOMPARE(f.window->windowTitle(),
                 QStringLiteral("Test LPT1  Adress Hex 0378 - 037A  888 - 890  GamePort 513  "));
        QCOMPARE(f.window->windowTitle().size(), 60);
        QVERIFY(f.showActive());
        QCOMPARE(f.window->centralWidget()->size(), QSize(472, 348));
        QCOMPARE(f.window->minimumSize(), f.window->maximumSize());
        QCOMPARE(f.window->centralWidget()->palette().color(QPalette::Window), QColor(0, 128, 128));
        QVERIFY(!f.window->windowIcon().isNull());
    }

    void everyControlIsAtItsPlace() {
        for (const Placement& p : kPlacements) {
            QWidget* widget = control<QWidget>(p.name);
            QVERIFY2(widget != nullptr, p.name);
            QCOMPARE(widget->parentWidget(), f.window->centralWidget());
            const QRect place = Pixels(p.left, p.top, p.width, p.height);
            if (widget == f.window->List1) { // as high as its whole rows: the bottom moves up
                const int row = f.window->List1->sizeHintForRow(0);
                QCOMPARE(widget->geometry().adjusted(0, 0, 0, place.height() - widget->height()),
                         place);
                QVERIFY(place.height() - row < widget->height() &&
                        widget->height() <= place.height() &&
                        f.window->List1->viewport()->height() % row == 0);
                continue;
            }
            QCOMPARE(widget->geometry(), place);
        }
        // Captions sized to their text start at their place.
        QCOMPARE(f.window->Label4->pos(), Pixels(5640, 270, 0, 0).topLeft());
        QCOMPARE(f.window->lblBiny->pos(), Pixels(120, 810, 0, 0).topLeft());
    }

    void pinLampsLieOnThePins() {
        // Inside the 2-pixel border: pins 1 to 13 at 510 + 180 (n - 1), 210
        // twips, pins 14 to 25 at 600 + 180 (n - 14), 480 twips; 90 twips square.
        QCOMPARE(f.window->Picture1->contentsRect(), QRect(2, 2, 217, 51));
        for (int pin = 1; pin <= 25; ++pin) {
            const QLabel* lamp = f.window->Lpt[pin];
            QCOMPARE(lamp->parentWidget(), f.window->Picture1);
            QCOMPARE(lamp->objectName(), QStringLiteral("Lpt%1").arg(pin));
            const QRect twips = pin <= 13 ? Pixels(510 + 180 * (pin - 1), 210, 90, 90)
                                          : Pixels(600 + 180 * (pin - 14), 480, 90, 90);
            QCOMPARE(lamp->geometry(), twips.translated(2, 2));
            QVERIFY(lamp->text().isEmpty());
        }
        QCOMPARE(PinLamps(*f.window), kStartPins);
        QCOMPARE(f.window->Picture1->focusPolicy(), Qt::StrongFocus);
    }

    void textsAreTheWindowsOwn() {
        QCOMPARE(f.window->Command1->text(), QString::fromUtf8("Läs från Aktiv Adress"));
        QCOMPARE(f.window->Command2->text(), QStringLiteral("Skriva till Aktiv Adress"));
        QCOMPARE(f.window->Command3->text(),
                 QStringLiteral("Skriva till Register               890"));
        QCOMPARE(f.window->Command3->toolTip(),
                 QString::fromUtf8("Skriv 32 till Register Läsa från porten  . 0 till Rregister "
                                   "Skriv till porten"));
        QCOMPARE(f.window->lblValue->text(), QString());
        QCOMPARE(f.window->Label4->text(), QString::fromUtf8("Välj Adress"));
        QCOMPARE(f.window->lblBiny->text(), QString::fromUtf8("Binärt"));
        QCOMPARE(f.window->lblBin[9]->text(),
                 QStringLiteral("7    6    5    4    3    2    1    0"));
        QCOMPARE(f.window->Label1->text(), QStringLiteral("Aktiv Adress"));
        QCOMPARE(f.window->Label2->text(), QStringLiteral("Skriv  0 - 255"));
        QCOMPARE(f.window->Label3->text(), kHint);
        QCOMPARE(kHint.size(), 204);
        QCOMPARE(f.window->Label5->text(), kWriteMode);
        QCOMPARE(f.window->Text1->text(), QStringLiteral("888"));
        QCOMPARE(f.window->Text2->text(), QStringLiteral("0"));
        for (int i = 1; i <= 8; ++i)
            QVERIFY(f.window->lblBin[i]->text().isEmpty());
    }

    void coloursAndFonts() {
        const QColor yellow(255, 255, 0), lightYellow(255, 255, 224);
        for (QLabel* caption :
             {f.window->Label1, f.window->Label2, static_cast<QLabel*>(f.window->Label3),
              f.window->Label4, f.window->Label5, f.window->lblBiny, f.window->lblBin[9]}) {
            QCOMPARE(caption->palette().color(QPalette::WindowText), yellow);
            QVERIFY(!caption->autoFillBackground());
        }
        QCOMPARE(f.window->lblValue->palette().color(QPalette::Window), lightYellow);
        QCOMPARE(f.window->lblValue->palette().color(QPalette::WindowText), QColor(192, 0, 0));
        QCOMPARE(f.window->lblValue->font().pixelSize(), 24);
        QVERIFY(!f.window->lblValue->font().bold());
        for (QWidget* box :
             {static_cast<QWidget*>(f.window->Text1), static_cast<QWidget*>(f.window->Text2),
              static_cast<QWidget*>(f.window->List1)})
            QCOMPARE(box->palette().color(QPalette::Base), lightYellow);
        QCOMPARE(f.window->Text1->font().pixelSize(), 16);
        QCOMPARE(f.window->Text1->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        QCOMPARE(f.window->List1->font().pixelSize(), 13);
        QCOMPARE(f.window->Label5->font().pixelSize(), 13);
        QCOMPARE(f.window->Command1->font().pixelSize(), 11);
        QVERIFY(f.window->Command1->font().bold());
        QCOMPARE(f.window->Command2->palette().color(QPalette::Button), QColor(192, 255, 192));
        QCOMPARE(f.window->Command3->palette().color(QPalette::Button), QColor(255, 224, 192));
        for (int i = 1; i <= 8; ++i)
            QCOMPARE(LampColourOf(f.window->lblBin[i]), QColor(Qt::white));
    }

    void colouredButtonsShowTheirColour() {
        const auto share = [](QWidget* button, const QColor& colour) {
            const QImage image = button->grab().toImage();
            int matching = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    matching += image.pixelColor(x, y) == colour ? 1 : 0;
            return double(matching) / (image.width() * image.height());
        };
        QVERIFY(share(f.window->Command2, QColor(192, 255, 192)) > 0.6);
        QVERIFY(share(f.window->Command3, QColor(255, 224, 192)) > 0.6);
    }

    void everyTextFitsItsControl() {
        const auto fits = [](const QWidget* widget, const QString& text, int room) {
            const qreal width = QFontMetricsF(widget->font()).horizontalAdvance(text);
            if (width > room)
                qWarning() << widget->objectName() << text << width << ">" << room;
            return width <= room;
        };
        for (QLabel* caption : {f.window->Label1, f.window->Label2, f.window->Label4,
                                f.window->Label5, f.window->lblBiny}) {
            QVERIFY(fits(caption, caption->text(), caption->contentsRect().width()));
            QVERIFY(QFontMetricsF(caption->font()).height() <= caption->height());
        }
        QVERIFY(fits(f.window->lblValue, QStringLiteral("255"),
                     f.window->lblValue->contentsRect().width()));
        QVERIFY(QFontMetricsF(f.window->lblValue->font()).capHeight() <=
                f.window->lblValue->contentsRect().height());
        for (QPushButton* button : {f.window->Command1, f.window->Command2, f.window->Command3}) {
            QStyleOptionButton option;
            option.initFrom(button);
            const int margins =
                2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
            QVERIFY(fits(button, button->text(), button->width() - margins));
        }
        for (QLineEdit* box : {f.window->Text1, f.window->Text2})
            QVERIFY(fits(box, QStringLiteral("65535"), box->width() - 8));
        const int listRoom =
            f.window->List1->width() - f.window->List1->verticalScrollBar()->sizeHint().width() - 6;
        for (int row = 0; row < f.window->List1->count(); ++row)
            QVERIFY(fits(f.window->List1, f.window->List1->item(row)->text(), listRoom));
    }

    void hintBreaksIntoItsGroups() {
        const QStringList lines = f.window->Label3->wrappedLines();
        const ClassicTextMetrics metrics = f.window->Label3->textMetrics();
        for (const QString& line : lines)
            QVERIFY2(metrics.lineWidth(line) <= f.window->Label3->width(), qPrintable(line));
        QVERIFY(static_cast<qreal>(lines.size()) *
                    QFontMetricsF(f.window->Label3->font()).height() <=
                f.window->Label3->height());
        // Each group starts a line of its own.
        const QStringList groups = kHint.split(QRegularExpression(QStringLiteral(" {7,}")));
        QCOMPARE(groups.size(), 6);
        QString joined;
        for (const QString& line : lines) {
            joined += line + QLatin1Char('\n');
        }
        for (const QString& group : groups) {
            const QString firstWord = group.section(QLatin1Char(' '), 0, 0);
            QVERIFY2(std::any_of(lines.begin(), lines.end(),
                                 [&](const QString& line) { return line.startsWith(firstWord); }),
                     qPrintable(joined));
        }
        // No group shares a line with the one before it.
        for (const QString& line : lines)
            QVERIFY2(!line.contains(QStringLiteral("       ")), qPrintable(line));
        // The groups after the opening sentence each stand whole on one line.
        for (qsizetype g = 1; g < groups.size(); ++g)
            QVERIFY2(lines.contains(groups.at(g)), qPrintable(groups.at(g) + "\n" + joined));
    }

    void bitNumbersStandUnderTheirLamps() {
        auto* numbers = static_cast<BitNumbersLabel*>(f.window->lblBin[9]);
        const QList<QRectF> rects = numbers->numberRects();
        QCOMPARE(rects.size(), 8);
        for (int i = 1; i <= 8; ++i) {
            const QRectF where = rects.at(i - 1).translated(numbers->pos());
            const QRect lamp = f.window->lblBin[i]->geometry();
            QVERIFY(qAbs(where.center().x() - (lamp.left() + lamp.width() / 2.0)) <= 1.0);
            QVERIFY(rects.at(i - 1).left() >= 0 && rects.at(i - 1).right() <= numbers->width());
        }
    }

    void addressListHoldsItsTwentyEntries() {
        QStringList entries;
        for (int row = 0; row < f.window->List1->count(); ++row)
            entries.append(f.window->List1->item(row)->text());
        QCOMPARE(entries, (QStringList{"888", "889", "890", "",    "632", "633", "634",
                                       "",    "956", "957", "958", "",    "513", "514",
                                       "515", "516", "517", "519", "520", "521"}));
        QVERIFY(f.window->List1->selectedItems().isEmpty());
        QVERIFY(!f.window->List1->isSortingEnabled());
    }

    void menusAndShortcuts() {
        const QList<QAction*> menus = f.window->menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus.at(0)->text(), QStringLiteral("Arkiv"));
        QCOMPARE(menus.at(1)->text(), QStringLiteral("Info"));
        QCOMPARE(menus.at(2)->text(), QStringLiteral("Verktyg"));
        QCOMPARE(f.window->mnuVerktyg->actions(),
                 (QList<QAction*>{f.window->mnuLive, f.window->mnuLoopback, f.window->mnuRecord,
                                  f.window->mnuGenerator, f.window->mnuJoystick,
                                  f.window->mnuTestLine, f.window->mnuPortinfo}));
        QCOMPARE(f.window->mnuLive->text(), QString::fromUtf8("Läs kontinuerligt"));
        QVERIFY(f.window->mnuLive->isCheckable() && !f.window->mnuLive->isChecked());
        QCOMPARE(f.window->mnuLive->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
        QCOMPARE(f.window->mnuLoopback->text(), QString::fromUtf8("Slingtest…"));
        QCOMPARE(f.window->mnuRecord->text(), QString::fromUtf8("Spela in…"));
        QCOMPARE(f.window->mnuGenerator->text(), QString::fromUtf8("Signalgenerator…"));
        QCOMPARE(f.window->mnuJoystick->text(), QString::fromUtf8("Styrspak…"));
        QCOMPARE(f.window->mnuTestLine->text(), QStringLiteral("Skriv testrad"));
        QCOMPARE(f.window->mnuPortinfo->text(), QString::fromUtf8("Portinfo…"));
        QCOMPARE(f.window->mnuArkiv->actions(), QList<QAction*>{f.window->mnuExit});
        QCOMPARE(f.window->mnuInfo->actions(), QList<QAction*>{f.window->mnuRead});
        QCOMPARE(f.window->mnuExit->text(), QStringLiteral("Avsluta"));
        QCOMPARE(f.window->mnuExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(f.window->mnuRead->text(), QString::fromUtf8("Läs Mig"));
        QCOMPARE(f.window->mnuRead->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    }

    void tabOrderAndFirstFocus() {
        QVERIFY(f.showActive());
        QCOMPARE(QApplication::focusWidget(), f.window->Command1);
        const QList<QWidget*> expected{f.window->Command1, f.window->Text1,   f.window->Command2,
                                       f.window->Text2,    f.window->List1,   f.window->Picture1,
                                       f.window->Command3, f.window->Command1};
        QList<QWidget*> visited{QApplication::focusWidget()};
        for (int step = 1; step < expected.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget());
        }
        QCOMPARE(visited, expected);
        QVERIFY(f.calls().empty());
        QVERIFY(!f.window->Command1->isDefault() && !f.window->Command1->autoDefault());
    }
};

QTEST_MAIN(WindowStartupTest)
#include "WindowStartupTest.moc"
