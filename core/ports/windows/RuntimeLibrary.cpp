// SPDX-License-Identifier: MIT
#include "ports/windows/RuntimeLibrary.h"

#include <windows.h>

namespace portprov {

namespace {

std::wstring Wide(const std::string& utf8) {
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          length, nullptr, nullptr);
    return utf8;
}

} // namespace

RuntimeLibrary::RuntimeLibrary(const std::string& name) {
    // Never LoadLibrary(name): its search includes the current folder and
    // PATH, where anyone may have put a library of that name.
    const HMODULE module =
        ::LoadLibraryExW(Wide(name).c_str(), nullptr,
                         LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        error_ = ::GetLastError();
        return;
    }
    handle_ = reinterpret_cast<void*>(module);
}

RuntimeLibrary::~RuntimeLibrary() {
    if (handle_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(handle_));
    }
}

RuntimeLibrary::AnyFunction RuntimeLibrary::address(const std::string& name) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<AnyFunction>(
        ::GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return "programmets mapp";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return Utf8(slash == std::wstring::npos ? path : path.substr(0, slash));
}

std::string SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return "Windows systemmapp";
    }
    return Utf8(std::wstring(path, length));
}

} // namespace portprov
