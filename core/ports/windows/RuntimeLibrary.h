// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace portprov {

// A library loaded by name at run time (Windows: LoadLibrary and
// GetProcAddress), unloaded when the object goes away.
class RuntimeLibrary {
public:
    // Loads name; loaded() tells whether that worked.
    explicit RuntimeLibrary(const std::string& name);
    ~RuntimeLibrary();
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The entry point called name, or nullptr when the library has none.
    template <typename Function> Function resolve(const std::string& name) const {
        return reinterpret_cast<Function>(address(name));
    }

private:
    using AnyFunction = void (*)();
    AnyFunction address(const std::string& name) const;

    void* handle_ = nullptr;
};

} // namespace portprov
