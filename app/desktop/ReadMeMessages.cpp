// SPDX-License-Identifier: MIT
#include "desktop/ReadMeMessages.h"

#include "desktop/ReadMeLaunch.h"

namespace {

// xdg-open's exit status when the document does not exist.
constexpr int kOpenerFileMissing = 2;

} // namespace

QString WordPadMissingMessage() {
    return QStringLiteral("Kunde inte hitta fil WordPad.exe") + QStringLiteral("\r\n\r\n") +
           QString::fromUtf8("Lägg in WordPad i Windows\\System");
}

QString ReadMeMissingMessage(const QStringList& placesLooked) {
    return QString::fromUtf8("Läs mig-filen %1 saknas. Den söktes här:\n%2\n\n"
                             "Installera om Portprov för att få tillbaka den.")
        .arg(QString::fromLatin1(kReadMeName), placesLooked.join(QLatin1Char('\n')));
}

QString NoOpenerMessage() {
    return QString::fromUtf8(
        "Kunde inte starta xdg-open, som öppnar läs mig-filen i skrivbordets program för "
        "RTF-dokument.\n\nInstallera paketet xdg-utils.");
}

QString NoRtfViewerMessage(const QString& document) {
    return QString::fromUtf8(
               "Hittade inget program som kan visa läs mig-filen, ett RTF-dokument:\n%1\n\n"
               "Installera ett, till exempel LibreOffice Writer (paketet libreoffice-writer) "
               "eller AbiWord (paketet abiword).")
        .arg(document);
}

QString OpenerFailureMessage(const QString& document, int exitStatus) {
    if (exitStatus == kOpenerFileMissing)
        return ReadMeMissingMessage({document});
    return NoRtfViewerMessage(document);
}

std::optional<QString> MissingReadMeMessage(const QStringList& placesLooked, bool found) {
#ifdef Q_OS_WIN
    Q_UNUSED(placesLooked);
    Q_UNUSED(found);
    return std::nullopt;
#else
    if (found)
        return std::nullopt;
    return ReadMeMissingMessage(placesLooked);
#endif
}

QString ReadMeFailureMessage() {
#ifdef Q_OS_WIN
    return WordPadMissingMessage();
#else
    return NoOpenerMessage();
#endif
}
