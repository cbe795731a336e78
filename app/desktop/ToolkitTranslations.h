// SPDX-License-Identifier: MIT
#pragma once

#include "desktop/SwedishToolkitTexts.h"

#include <QString>
#include <QStringList>
#include <QTranslator>

// Swedish for the window toolkit's own texts, whatever the user's locale: Qt's
// Swedish catalogue qt_sv.qm (the menus of the text boxes and the scroll bar,
// the message boxes), and our own table for the few texts it lacks (the
// command-line help). Installed on the application while the object lives.
class ToolkitTranslations {
public:
    // Where the catalogue is looked for, in order: Qt's translations folder,
    // then a folder "translations" beside the program (where the Windows
    // build carries it).
    static QStringList CatalogueFolders();

    explicit ToolkitTranslations(const QStringList& folders = CatalogueFolders());
    ~ToolkitTranslations();
    ToolkitTranslations(const ToolkitTranslations&) = delete;
    ToolkitTranslations& operator=(const ToolkitTranslations&) = delete;

    // The catalogue file that was loaded; empty when none was found.
    QString catalogueFile() const { return catalogue_.filePath(); }

private:
    SwedishToolkitTexts ownTexts_;
    QTranslator catalogue_;
};
