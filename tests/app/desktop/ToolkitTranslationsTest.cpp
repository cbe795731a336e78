// SPDX-License-Identifier: MIT
// The toolkit's own texts come from Qt's Swedish catalogue, found in Qt's
// translations folder or beside the program, and every right-click menu of
// the window speaks Swedish.
#include "desktop/ToolkitTranslations.h"
#include "WindowFixture.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QString CatalogueIn(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("qt_sv.qm"));
}

// The items of the menu that a right-click on the widget opens, without
// their shortcuts; empty when it opens none. Some menus run their own loop
// until closed, others just pop up: either way the menu is read and closed.
QStringList RightClickMenu(QWidget* widget) {
    QStringList items;
    bool seen = false;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || seen)
            return;
        seen = true;
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator())
                items << action->text().section(QLatin1Char('\t'), 0, 0);
        }
        menu->close();
    });
    reader.start(0);
    const QPoint inside(widget->width() / 2, widget->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &event);
    for (int i = 0; i < 20 && !seen; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return items;
}

// Every widget of the window that opens a menu, with the menu's items.
QMap<QString, QStringList> RightClickMenus(frmPortCom& window) {
    QMap<QString, QStringList> menus;
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (int i = 0; i < widgets.size(); ++i) {
        QWidget* widget = widgets.at(i);
        if (!widget->isVisible() || qobject_cast<QMenu*>(widget) != nullptr)
            continue;
        const QStringList items = RightClickMenu(widget);
        if (!items.isEmpty())
            menus.insert(QStringLiteral("%1 %2 %3")
                             .arg(i)
                             .arg(QString::fromLatin1(widget->metaObject()->className()))
                             .arg(widget->objectName()),
                         items);
    }
    return menus;
}

} // namespace

class ToolkitTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void catalogueFromTheFirstFolderThatHasIt() {
        const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        QVERIFY2(QFile::exists(CatalogueIn(qtFolder)), "qt6-translations-l10n is not installed");
        QTemporaryDir empty, besideProgram;
        QVERIFY(QFile::copy(CatalogueIn(qtFolder), CatalogueIn(besideProgram.path())));

        {
            const ToolkitTranslations swedish({empty.path(), besideProgram.path()});
            QCOMPARE(swedish.catalogueFile(), CatalogueIn(besideProgram.path()));
            QCOMPARE(QCoreApplication::translate("QScrollBar", "Top"),
                     QString::fromUtf8("Överkant"));
        }
        // Gone with the object.
        QCOMPARE(QCoreApplication::translate("QScrollBar", "Top"), QStringLiteral("Top"));
        {
            // Without the catalogue our own table still answers.
            const ToolkitTranslations swedish({empty.path()});
            QVERIFY(swedish.catalogueFile().isEmpty());
            QCOMPARE(QCoreApplication::translate("QCommandLineParser", "Options:"),
                     QStringLiteral("Flaggor:"));
            QCOMPARE(QCoreApplication::translate("QScrollBar", "Top"), QStringLiteral("Top"));
        }
        const ToolkitTranslations installed;
        QCOMPARE(installed.catalogueFile(), CatalogueIn(qtFolder));
    }

    void everyRightClickMenuOfTheWindowIsSwedish() {
        WindowFixture f;
        QVERIFY(f.showActive());
        const QMap<QString, QStringList> english = RightClickMenus(*f.window);
        QMap<QString, QStringList> swedish;
        {
            const ToolkitTranslations translations;
            swedish = RightClickMenus(*f.window);
        }
        // The two text boxes and the list's scroll bar at least.
        QVERIFY2(swedish.size() >= 3, qPrintable(QStringList(swedish.keys()).join(u", ")));
        QCOMPARE(swedish.keys(), english.keys());
        for (auto menu = swedish.cbegin(); menu != swedish.cend(); ++menu) {
            const QStringList& before = english.value(menu.key());
            QCOMPARE(menu.value().size(), before.size());
            for (int i = 0; i < before.size(); ++i)
                QVERIFY2(menu.value().at(i) != before.at(i),
                         qPrintable(menu.key() + QStringLiteral(": ") + before.at(i)));
        }
        const QString scrollBar = swedish.keys().filter(QStringLiteral("QScrollBar")).value(0);
        QVERIFY(swedish.value(scrollBar).contains(QString::fromUtf8("Rulla här")));
        QVERIFY(swedish.value(scrollBar).contains(QString::fromUtf8("Sida uppåt")));
    }
};

QTEST_MAIN(ToolkitTranslationsTest)
#include "ToolkitTranslationsTest.moc"
