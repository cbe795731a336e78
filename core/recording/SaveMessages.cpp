// SPDX-License-Identifier: MIT
#include "recording/SaveMessages.h"

#include <cerrno>
#include <cstring>

namespace portprov::save_messages {

bool IsStandardOutput(const std::filesystem::path& path) {
    return path.native() == std::filesystem::path("-").native();
}

std::string Shown(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

namespace {

std::string Start(const std::filesystem::path& path) {
    return IsStandardOutput(path) ? "Kan inte skriva till standard ut: "
                                  : "Kan inte spara " + Shown(path) + ": ";
}

} // namespace

std::string SaveMessage(const std::filesystem::path& path, int error) {
    const std::string start = Start(path);
    const std::string folder = Shown(FolderOf(path));
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return start + "disken är full. Frigör utrymme eller spara på en annan disk.";
    case EACCES:
    case EPERM:
    case EROFS:
        return start + "mappen " + folder + " får inte skrivas i. Välj en annan mapp.";
    case ENOENT:
    case ENOTDIR:
        return start + "mappen " + folder + " finns inte.";
    case EISDIR:
        return start + "det är en mapp. Ange ett filnamn.";
    case EFBIG:
        return start + "filen blir större än systemet tillåter.";
    case ENAMETOOLONG:
        return start + "namnet är för långt. Välj ett kortare.";
    case ELOOP:
        return start + "länkarna till filen går i ring.";
    case EPIPE:
        return start + "mottagaren slutade läsa.";
    case ENXIO:
        return start + "ingen tar emot det som skrivs dit.";
    case EINTR:
        return start + "sparandet avbröts av en signal innan det blev klart.";
    default:
        return start + std::strerror(error) + " (felkod " + std::to_string(error) + ").";
    }
}

std::string StickyMessage(const std::filesystem::path& path) {
    return Start(path) + "filen tillhör en annan användare, och i mappen " + Shown(FolderOf(path)) +
           " får bara filens ägare ersätta den. Välj ett annat namn.";
}

std::string ForeignLinkMessage(const std::filesystem::path& link) {
    return Start(link) + "länken tillhör en annan användare och ligger i mappen " +
           Shown(FolderOf(link)) +
           ", där alla får skriva. En sådan länk följs inte. Ange filen som länken pekar på.";
}

std::string DeviceMessage(const std::filesystem::path& path, bool disk) {
    return Start(path) +
           (disk ? std::string("det är en disk, som filen skulle skriva över. Ange en fil.")
                 : std::string("länken leder till en enhet, inte till en fil. Ange en fil, "
                               "eller enheten själv om det är den som avses."));
}

std::string ReplacedMessage(const std::filesystem::path& path) {
    return Start(path) + "den byttes ut medan inspelningen pågick. Inget skrevs dit.";
}

} // namespace portprov::save_messages
