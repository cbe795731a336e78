// SPDX-License-Identifier: MIT
#include "cli/ReadFailure.h"

#include <cerrno>
#include <cstring>

namespace portprov {

namespace {

std::string ReadFailureReason(int error) {
    switch (error) {
    case ENOENT:
        return "den finns inte.";
    case ENOTDIR:
        return "en del av sökvägen är ingen mapp.";
    case EACCES:
    case EPERM:
        return "du har inte rätt att läsa den.";
    case EISDIR:
        return "det är en mapp. Ange en fil.";
    case ELOOP:
        return "länkarna till filen går i ring.";
    case ENAMETOOLONG:
        return "namnet är för långt.";
    case EMFILE:
    case ENFILE:
        return "för många filer är öppna.";
    case ENXIO:
    case ENODEV:
        return "ingen enhet svarar där.";
    case EIO:
        return "disken kunde inte läsas.";
    case 0:
        return "den kunde inte öppnas.";
    default:
        return std::string(std::strerror(error)) + " (felkod " + std::to_string(error) + ").";
    }
}

} // namespace

std::string CannotReadMessage(const std::string& path, int error) {
    return "Kan inte läsa filen " + path + ": " + ReadFailureReason(error);
}

} // namespace portprov
