// SPDX-License-Identifier: MIT
#include "ports/linux/PpdevPorts.h"

#include "connector/Connector.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/linux/KernelLockdown.h"
#include "ports/linux/LinuxMessages.h"
#include "ports/linux/ProgramPath.h"

#include <algorithm>
#include <cerrno>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <utility>

namespace portprov {

namespace msg = linux_messages;

namespace {

// The registers, counted from the port's base.
constexpr int kDataRegister = kDataOffset;
constexpr int kStatusRegister = kStatusOffset;
constexpr int kControlRegister = kControlOffset;

// Control register: the driver reads back only the output lines; bit 5,
// which turns the data lines round to input, is its own request.
constexpr std::uint8_t kControlDataInput = Bit(control_bit::kBidirectional);

// Whether address is one of the three registers of the port.
bool HasRegister(const ParallelPortNode& port, std::uint16_t address) {
    return address >= port.base && address - port.base <= kControlRegister;
}

std::string Range(std::uint16_t base) {
    return std::to_string(base) + "-" + std::to_string(base + kControlRegister);
}

} // namespace

PpdevPorts::PpdevPorts(std::vector<ParallelPortNode> ports, std::shared_ptr<PpdevSystem> system,
                       std::string programPath, std::optional<std::string> lockdownMode)
    : system_(std::move(system)),
      programPath_(programPath.empty() ? OwnProgramPath() : std::move(programPath)),
      lockdownMode_(std::move(lockdownMode)) {
    for (auto& where : ports) {
        ports_.push_back({std::move(where)});
    }
}

PpdevPorts::~PpdevPorts() {
    // Closing releases the claim.
    for (const auto& port : ports_) {
        if (port.fd >= 0) {
            system_->close(port.fd);
        }
    }
}

bool PpdevPorts::covers(std::uint16_t address) const {
    return std::any_of(ports_.begin(), ports_.end(),
                       [&](const Port& port) { return HasRegister(port.where, address); });
}

PpdevPorts::Port& PpdevPorts::claimed(std::uint16_t address) {
    for (auto& port : ports_) {
        if (HasRegister(port.where, address)) {
            if (port.fd < 0) {
                claim(port);
            }
            return port;
        }
    }
    std::string coverage;
    for (const auto& port : ports_) {
        coverage +=
            (coverage.empty() ? "" : ", ") + Range(port.where.base) + " (" + port.where.node + ")";
    }
    if (LockdownForbidsRawPorts(lockdownMode_)) {
        throw PortError(PortErrorKind::NotCovered,
                        msg::PpdevNotCoveredLocked(address, coverage, *lockdownMode_));
    }
    throw PortError(PortErrorKind::NotCovered,
                    msg::PpdevNotCovered(address, coverage, programPath_));
}

void PpdevPorts::claim(Port& port) {
    const std::string& node = port.where.node;
    auto openNode = [&] {
        const int fd = system_->open(node);
        if (fd >= 0) {
            return fd;
        }
        const int error = -fd;
        if (error == EACCES || error == EPERM) {
            throw PortError(PortErrorKind::NotPermitted, msg::PpdevNodeDenied(node));
        }
        if (error == ENOENT || error == ENXIO || error == ENODEV) {
            throw PortError(PortErrorKind::Missing, msg::PpdevNodeMissing(node));
        }
        throw PortError(PortErrorKind::FailedAccess, msg::PpdevFailed(node, "open", error));
    };

    // Exclusive first, so that no other driver can come between our accesses.
    // The kernel refuses that (ENXIO) while another driver, such as the
    // printer driver lp, is registered on the port; then share the port.
    int fd = openNode();
    int result = system_->ioctl(fd, PPEXCL, nullptr);
    if (result == 0) {
        result = system_->claim(fd, kClaimLimit);
    }
    if (result != 0 && result != -ETIMEDOUT) {
        system_->close(fd);
        fd = openNode();
        result = system_->claim(fd, kClaimLimit);
    }
    if (result != 0) {
        system_->close(fd);
        if (result == -ETIMEDOUT) {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(kClaimLimit);
            throw PortError(PortErrorKind::Busy,
                            msg::PpdevBusy(node, static_cast<int>(seconds.count())));
        }
        // The kernel lets no one else on while a program holds the port
        // exclusively, as this program does.
        if (result == -ENXIO) {
            throw PortError(PortErrorKind::Busy, msg::PpdevHeldExclusively(node));
        }
        throw PortError(PortErrorKind::FailedAccess, msg::PpdevFailed(node, "PPCLAIM", -result));
    }
    port.fd = fd;
}

void PpdevPorts::call(const Port& port, unsigned long request, const char* name, void* arg) {
    const int result = system_->ioctl(port.fd, request, arg);
    if (result != 0) {
        throw PortError(PortErrorKind::FailedAccess,
                        msg::PpdevFailed(port.where.node, name, -result));
    }
}

std::uint8_t PpdevPorts::readRegister(const Port& port, unsigned long request, const char* name) {
    unsigned char value = 0;
    call(port, request, name, &value);
    return value;
}

void PpdevPorts::writeRegister(const Port& port, unsigned long request, const char* name,
                               std::uint8_t value) {
    unsigned char byte = value;
    call(port, request, name, &byte);
}

std::uint8_t PpdevPorts::read(std::uint16_t address) {
    Port& port = claimed(address);
    switch (address - port.where.base) {
    case kDataRegister:
        return readRegister(port, PPRDATA, "PPRDATA");
    case kStatusRegister:
        return readRegister(port, PPRSTATUS, "PPRSTATUS");
    default: {
        const std::uint8_t lines = readRegister(port, PPRCONTROL, "PPRCONTROL");
        return static_cast<std::uint8_t>((lines & kControlOutputLines) |
                                         (port.control & ~kControlOutputLines));
    }
    }
}

void PpdevPorts::write(std::uint16_t address, std::uint8_t value) {
    Port& port = claimed(address);
    switch (address - port.where.base) {
    case kDataRegister:
        writeRegister(port, PPWDATA, "PPWDATA", value);
        return;
    case kStatusRegister:
        return; // an input register: writing it changes nothing
    default: {
        writeRegister(port, PPWCONTROL, "PPWCONTROL",
                      static_cast<std::uint8_t>(value & kControlOutputLines));
        int input = (value & kControlDataInput) != 0 ? 1 : 0;
        call(port, PPDATADIR, "PPDATADIR", &input);
        port.control = value;
        return;
    }
    }
}

std::string PpdevPorts::describe() const {
    std::string ports;
    for (const auto& port : ports_) {
        ports += (ports.empty() ? "" : ", ") + port.where.node + " på " + Range(port.where.base);
    }
    return msg::PpdevDescription(ports);
}

} // namespace portprov
