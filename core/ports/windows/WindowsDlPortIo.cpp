// SPDX-License-Identifier: MIT
#include "ports/windows/WindowsDlPortIo.h"

#include "ports/windows/RuntimeLibrary.h"
#include "ports/windows/WindowsMessages.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace portprov {

namespace msg = windows_messages;

namespace {

constexpr const char* kReadEntry = "DlPortReadPortUchar";
constexpr const char* kWriteEntry = "DlPortWritePortUchar";
// InpOut32's libraries tell through this whether their kernel driver is open.
constexpr const char* kDriverOpenEntry = "IsInpOutDriverOpen";

// Windows' answers to a failed load that matter here.
constexpr unsigned long kNotFound = ERROR_MOD_NOT_FOUND;      // 126
constexpr unsigned long kWrongBitness = ERROR_BAD_EXE_FORMAT; // 193

constexpr int kProgramBits = sizeof(void*) * 8;
// The library of the same bitness that the InpOut32 driver brings along.
constexpr const char* kFallbackLibrary = kProgramBits == 64 ? "inpoutx64.dll" : "inpout32.dll";

// The library's two entry points. The port goes as a whole ULONG: a library
// declaring it USHORT reads the low half, and none sees stray upper bits.
using ReadPortUchar = UCHAR(__stdcall*)(ULONG port);
using WritePortUchar = void(__stdcall*)(ULONG port, UCHAR value);
using IsDriverOpen = BOOL(__stdcall*)();

class DlPortIo : public PortBackend {
public:
    DlPortIo(std::unique_ptr<RuntimeLibrary> library, std::string name)
        : library_(std::move(library)), name_(std::move(name)) {
        read_ = library_->resolve<ReadPortUchar>(kReadEntry);
        if (read_ == nullptr) {
            throw PortError(PortErrorKind::Missing,
                            msg::DriverLibraryEntryMissing(name_, kReadEntry));
        }
        write_ = library_->resolve<WritePortUchar>(kWriteEntry);
        if (write_ == nullptr) {
            throw PortError(PortErrorKind::Missing,
                            msg::DriverLibraryEntryMissing(name_, kWriteEntry));
        }
        // InpOut32's library installs its kernel driver only when first loaded
        // by a program run as administrator. Until then it reads every port as
        // 0 and drops every write without a word, which the window would show
        // as a reading. Refused here, the next access loads it again, so the
        // driver installed meanwhile is found without restarting the program.
        const auto driverOpen = library_->resolve<IsDriverOpen>(kDriverOpenEntry);
        if (driverOpen != nullptr && !driverOpen()) {
            throw PortError(PortErrorKind::Missing, msg::DriverLibraryDriverNotInstalled(name_));
        }
    }

    std::uint8_t read(std::uint16_t port) override { return read_(port); }
    void write(std::uint16_t port, std::uint8_t value) override { write_(port, value); }
    std::string describe() const override { return msg::DriverLibraryDescription(name_); }

private:
    std::unique_ptr<RuntimeLibrary> library_;
    std::string name_;
    ReadPortUchar read_ = nullptr;
    WritePortUchar write_ = nullptr;
};

} // namespace

std::unique_ptr<PortBackend> OpenDlPortIo() {
    const std::vector<std::string> names = {"dlportio.dll", kFallbackLibrary};
    std::string wrongBitness;
    for (const std::string& name : names) {
        auto library = std::make_unique<RuntimeLibrary>(name);
        if (library->loaded()) {
            return std::make_unique<DlPortIo>(std::move(library), name);
        }
        if (library->error() == kWrongBitness) {
            // A library of the other bitness is there; a fitting one may still
            // come next, so look on before saying so.
            if (wrongBitness.empty()) {
                wrongBitness = name;
            }
        } else if (library->error() != kNotFound) {
            throw PortError(PortErrorKind::FailedAccess,
                            msg::DriverLibraryFailed(name, library->error()));
        }
    }
    if (!wrongBitness.empty()) {
        throw PortError(PortErrorKind::Missing, msg::DriverLibraryWrongBitness(
                                                    wrongBitness, kProgramBits, kFallbackLibrary));
    }
    throw PortError(PortErrorKind::Missing,
                    msg::DriverLibraryMissing(names, ProgramFolder(), SystemFolder()));
}

} // namespace portprov
