// SPDX-License-Identifier: MIT
#include "desktop/WindowsConsole.h"

#ifdef _WIN32
#include <windows.h>

#include <io.h>
#endif

namespace windowsconsole {

#ifdef _WIN32

namespace {

// A standard handle the parent gave us: a console, a file or a pipe.
bool Inherited(DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void AttachParentConsole() {
    const bool outKept = Inherited(STD_OUTPUT_HANDLE);
    const bool errKept = Inherited(STD_ERROR_HANDLE);
    if (outKept && errKept)
        return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!outKept && std::freopen("CONOUT$", "w", stdout) != nullptr)
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!errKept && std::freopen("CONOUT$", "w", stderr) != nullptr)
        std::setvbuf(stderr, nullptr, _IONBF, 0);
}

bool WriteToConsole(std::FILE* stream, const QString& text) {
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode))
        return false;
    std::fflush(stream);
    const std::wstring wide = text.toStdWString();
    DWORD written = 0;
    return ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr) != 0;
}

#else

void AttachParentConsole() {}

bool WriteToConsole(std::FILE*, const QString&) {
    return false;
}

#endif

} // namespace windowsconsole
