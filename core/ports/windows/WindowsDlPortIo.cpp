// SPDX-License-Identifier: MIT
#include "ports/windows/WindowsDlPortIo.h"

#include "ports/HardwareMessages.h"
#include "ports/windows/RuntimeLibrary.h"

#include <windows.h>

namespace portprov {

namespace msg = hardware_messages;

namespace {

constexpr const char* kLibraryName = "dlportio.dll";
constexpr const char* kReadEntry = "DlPortReadPortUchar";
constexpr const char* kWriteEntry = "DlPortWritePortUchar";

// The library's two entry points.
using ReadPortUchar = UCHAR(__stdcall*)(ULONG port);
using WritePortUchar = void(__stdcall*)(ULONG port, UCHAR value);

class DlPortIo : public PortBackend {
public:
    DlPortIo() : library_(kLibraryName) {
        if (!library_.loaded()) {
            throw PortError(msg::DlPortIoMissing());
        }
        read_ = library_.resolve<ReadPortUchar>(kReadEntry);
        if (read_ == nullptr) {
            throw PortError(msg::DlPortIoEntryMissing(kReadEntry));
        }
        write_ = library_.resolve<WritePortUchar>(kWriteEntry);
        if (write_ == nullptr) {
            throw PortError(msg::DlPortIoEntryMissing(kWriteEntry));
        }
    }

    std::uint8_t read(std::uint16_t port) override { return read_(port); }
    void write(std::uint16_t port, std::uint8_t value) override { write_(port, value); }
    std::string describe() const override { return msg::kDlPortIoDescription; }

private:
    RuntimeLibrary library_;
    ReadPortUchar read_ = nullptr;
    WritePortUchar write_ = nullptr;
};

} // namespace

std::unique_ptr<PortBackend> OpenDlPortIo() {
    return std::make_unique<DlPortIo>();
}

} // namespace portprov
