// SPDX-License-Identifier: MIT
#include "recording/SwedishSaveDialog.h"

#include "desktop/SwedishToolkitTexts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace {

using Text = SwedishToolkitTexts::Text;

// Qt's file dialog asks for these as it builds itself and as it is used;
// Qt's Swedish catalogue has older wordings of a few and none of the rest.
constexpr Text kTexts[] = {
    {"QFileDialog", "Look in:", "Leta i:"},
    {"QFileDialog", "Back", "Bakåt"},
    {"QFileDialog", "Go back", "Gå bakåt"},
    {"QFileDialog", "Forward", "Framåt"},
    {"QFileDialog", "Go forward", "Gå framåt"},
    {"QFileDialog", "Parent Directory", "Överordnad mapp"},
    {"QFileDialog", "Go to the parent directory", "Gå till den överordnade mappen"},
    {"QFileDialog", "Create New Folder", "Skapa ny mapp"},
    {"QFileDialog", "Create a New Folder", "Skapa en ny mapp"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Change to list view mode", "Visa som lista"},
    {"QFileDialog", "Detail View", "Detaljer"},
    {"QFileDialog", "Change to detail view mode", "Visa med detaljer"},
    {"QFileDialog", "Sidebar", "Sidopanel"},
    {"QFileDialog", "List of places and bookmarks", "Platser och bokmärken"},
    {"QFileDialog", "Files", "Filer"},
    {"QFileDialog", "Files of type:", "Filtyp:"},
    {"QFileDialog", "File &name:", "Fil&namn:"},
    {"QFileDialog", "&Open", "&Öppna"},
    {"QFileDialog", "&Save", "&Spara"},
    {"QFileDialog", "All Files (*)", "Alla filer (*)"},
    {"QFileDialog", "&Rename", "&Byt namn"},
    {"QFileDialog", "&Delete", "&Ta bort"},
    {"QFileDialog", "Show &hidden files", "Visa &dolda filer"},
    {"QFileDialog", "&New Folder", "&Ny mapp"},
    {"QFileDialog", "New Folder", "Ny mapp"},
    {"QFileDialog", "Recent Places", "Senaste platser"},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "%1 finns redan.\nVill du ersätta den?"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Vill du ta bort '%1'?"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' är skrivskyddad.\nVill du ta bort den ändå?"},
    {"QFileDialog", "Could not delete directory.", "Mappen kunde inte tas bort."},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nMappen finns inte.\nKontrollera mappens namn."},
    {"QSidebar", "Remove", "Ta bort"},
    {"QFileSystemModel", "Computer", "Datorn"},
    {"QFileSystemModel", "Name", "Namn"},
    {"QFileSystemModel", "Size", "Storlek"},
    {"QFileSystemModel", "Type", "Typ"},
    {"QFileSystemModel", "Date Modified", "Ändrad"},
    {"QAbstractFileIconProvider", "Drive", "Enhet"},
    {"QAbstractFileIconProvider", "Folder", "Mapp"},
    {"QAbstractFileIconProvider", "File", "Fil"},
    {"QAbstractFileIconProvider", "%1 File", "%1-fil"},
    {"QPlatformTheme", "Save", "Spara"},
    {"QPlatformTheme", "Open", "Öppna"},
    {"QPlatformTheme", "Cancel", "Avbryt"},
    {"QPlatformTheme", "&Yes", "&Ja"},
    {"QPlatformTheme", "&No", "&Nej"},
};

// The texts above, asked before Qt's own catalogue while a file dialog is
// open: the translator installed last is asked first.
class FileDialogTexts : public SwedishToolkitTexts {
public:
    FileDialogTexts() : SwedishToolkitTexts(kTexts) { QCoreApplication::installTranslator(this); }
    ~FileDialogTexts() override { QCoreApplication::removeTranslator(this); }
    FileDialogTexts(const FileDialogTexts&) = delete;
    FileDialogTexts& operator=(const FileDialogTexts&) = delete;
};

// The folder last saved to or opened from, while the program runs.
QString& LastFolder() {
    static QString folder = QDir::homePath();
    return folder;
}

} // namespace

QString ChooseSwedishSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                              const QString& suggestedName) {
    // Qt's own dialog, not the desktop's: its texts can be had in Swedish, and
    // it is the same on every desktop.
    const FileDialogTexts swedish;
    QFileDialog dialog(parent, caption, LastFolder(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Spara"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Avbryt"));
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString name = dialog.selectedFiles().constFirst();
    LastFolder() = QFileInfo(name).absolutePath();
    return name;
}

QString ChooseSwedishOpenFile(QWidget* parent, const QString& caption, const QString& filter) {
    const FileDialogTexts swedish;
    QFileDialog dialog(parent, caption, LastFolder(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8("Öppna"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Avbryt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString name = dialog.selectedFiles().constFirst();
    LastFolder() = QFileInfo(name).absolutePath();
    return name;
}
