// SPDX-License-Identifier: MIT
#include "desktop/ToolkitTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

namespace {

// Always the Swedish file by its name: the program speaks Swedish on any
// desktop, so the user's locale has no say.
const QString kCatalogue = QStringLiteral("qt_sv");

} // namespace

QStringList ToolkitTranslations::CatalogueFolders() {
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
}

ToolkitTranslations::ToolkitTranslations(const QStringList& folders) {
    // The translator installed last is asked first: the catalogue, then our table.
    QCoreApplication::installTranslator(&ownTexts_);
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && catalogue_.load(kCatalogue, folder)) {
            QCoreApplication::installTranslator(&catalogue_);
            break;
        }
    }
}

ToolkitTranslations::~ToolkitTranslations() {
    QCoreApplication::removeTranslator(&catalogue_);
    QCoreApplication::removeTranslator(&ownTexts_);
}
