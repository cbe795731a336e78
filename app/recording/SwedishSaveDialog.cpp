// SPDX-License-Identifier: MIT
#include "recording/SwedishSaveDialog.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>

namespace {

// The folder last saved to, while the program runs.
QString& LastFolder() {
    static QString folder = QDir::homePath();
    return folder;
}

struct ToolTip {
    const char* button; // the object name Qt gives it
    const char* text;
};

constexpr ToolTip kToolTips[] = {
    {"backButton", "Tillbaka"},           {"forwardButton", "Framåt"},
    {"toParentButton", "Upp en nivå"},    {"newFolderButton", "Skapa ny mapp"},
    {"listModeButton", "Visa som lista"}, {"detailModeButton", "Visa detaljer"},
};

} // namespace

void SpeakSwedish(QFileDialog& dialog) {
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Leta i:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Filnamn:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Filtyp:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Spara"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Avbryt"));
    for (const ToolTip& tip : kToolTips) {
        if (auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(tip.button))) {
            button->setToolTip(QString::fromUtf8(tip.text));
            button->setAccessibleName(QString::fromUtf8(tip.text));
        }
    }
}

QString ChooseSwedishSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                              const QString& suggestedName) {
    // Qt's own dialog, not the desktop's: its texts can be set, and it looks
    // the same on every desktop.
    QFileDialog dialog(parent, caption, LastFolder(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    SpeakSwedish(dialog);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString name = dialog.selectedFiles().constFirst();
    LastFolder() = QFileInfo(name).absolutePath();
    return name;
}
