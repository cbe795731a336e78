// SPDX-License-Identifier: MIT
#include "ports/windows/RuntimeLibrary.h"

#include <windows.h>

namespace portprov {

RuntimeLibrary::RuntimeLibrary(const std::string& name)
    : handle_(reinterpret_cast<void*>(::LoadLibraryA(name.c_str()))) {}

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

} // namespace portprov
