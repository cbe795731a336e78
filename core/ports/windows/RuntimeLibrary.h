// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace portprov {

// A library loaded by name at run time, unloaded when the object goes away.
// Only the program's own folder and the Windows system folder are searched:
// never the current folder or PATH, so that a library someone leaves there is
// never loaded into the program.
class RuntimeLibrary {
public:
    // Loads name (a file name, no folder); loaded() tells whether that worked
    // and error() why not.
    explicit RuntimeLibrary(const std::string& name);
    ~RuntimeLibrary();
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // The Windows error code of a failed load (126: not found, 193: not a
    // library this program can load), 0 when loaded.
    unsigned long error() const { return error_; }

    // The entry point called name, or nullptr when the library has none.
    template <typename Function> Function resolve(const std::string& name) const {
        return reinterpret_cast<Function>(address(name));
    }

private:
    using AnyFunction = void (*)();
    AnyFunction address(const std::string& name) const;

    void* handle_ = nullptr;
    unsigned long error_ = 0;
};

// The two folders searched, as the user knows them (UTF-8), for messages.
std::string ProgramFolder();
std::string SystemFolder();

} // namespace portprov
