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

// Gives the port back to the kernel. A release that fails closes the node,
// which releases too (and registers the port anew at the next claim).
void Release(PpdevSystem& system, PpdevPorts::Port& port) {
    if (!port.claimed || port.fd < 0) {
        return;
    }
    port.claimed = false;
    if (system.ioctl(port.fd, PPRELEASE, nullptr) != 0) {
        system.close(port.fd);
        port.fd = -1;
    }
}

// Keeps a port's claim while it lives. Shares the port's state with the
// backend, so that a hold outliving the backend (which closes every node)
// releases nothing.
class ClaimHold : public PortHold {
public:
    ClaimHold(std::shared_ptr<PpdevSystem> system, std::shared_ptr<PpdevPorts::Port> port)
        : system_(std::move(system)), port_(std::move(port)) {
        ++port_->holds;
    }
    ~ClaimHold() override {
        if (--port_->holds == 0) {
            Release(*system_, *port_);
        }
    }
    ClaimHold(const ClaimHold&) = delete;
    ClaimHold& operator=(const ClaimHold&) = delete;

private:
    std::shared_ptr<PpdevSystem> system_;
    std::shared_ptr<PpdevPorts::Port> port_;
};

} // namespace

// The claim of one single access: taken unless a hold keeps the port
// already, and given back when the access is done, failed or not.
class PpdevPorts::Claim {
public:
    Claim(PpdevPorts& ports, Port& port) : ports_(ports), port_(port) {
        if (port_.holds == 0) {
            ports_.claim(port_, kClaimLimit);
            taken_ = true;
        }
    }
    ~Claim() {
        if (taken_) {
            Release(*ports_.system_, port_);
        }
    }
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;

private:
    PpdevPorts& ports_;
    Port& port_;
    bool taken_ = false;
};

PpdevPorts::PpdevPorts(std::vector<ParallelPortNode> ports, std::shared_ptr<PpdevSystem> system,
                       std::string programPath, std::optional<std::string> lockdownMode)
    : system_(std::move(system)),
      programPath_(programPath.empty() ? HelperProgramPath() : std::move(programPath)),
      lockdownMode_(std::move(lockdownMode)) {
    for (auto& where : ports) {
        ports_.push_back(std::make_shared<Port>(std::move(where)));
    }
}

PpdevPorts::~PpdevPorts() {
    // Closing releases a claim a hold still keeps.
    for (const auto& port : ports_) {
        if (port->fd >= 0) {
            system_->close(port->fd);
            port->fd = -1;
            port->claimed = false;
        }
    }
}

bool PpdevPorts::covers(std::uint16_t address) const {
    return std::any_of(ports_.begin(), ports_.end(), [&](const std::shared_ptr<Port>& port) {
        return HasRegister(port->where, address);
    });
}

const std::shared_ptr<PpdevPorts::Port>& PpdevPorts::portOf(std::uint16_t address) {
    for (const auto& port : ports_) {
        if (HasRegister(port->where, address)) {
            return port;
        }
    }
    std::string coverage;
    for (const auto& port : ports_) {
        coverage += (coverage.empty() ? "" : ", ") + Range(port->where.base) + " (" +
                    port->where.node + ")";
    }
    if (LockdownForbidsRawPorts(lockdownMode_)) {
        throw PortError(PortErrorKind::NotCovered,
                        msg::PpdevNotCoveredLocked(address, coverage, *lockdownMode_));
    }
    throw PortError(PortErrorKind::NotCovered,
                    msg::PpdevNotCovered(address, coverage, programPath_));
}

// How the port is shared with the kernel's other drivers, the printer driver
// lp above all:
// - No PPEXCL. An exclusive registration keeps every other driver off the
//   port for as long as the node is open: lp could neither load nor print.
//   It is not needed either: ppdev registers no preempt callback, so while
//   this program holds a claim no other driver or program takes the port;
//   a claim is all that keeps others from coming between our accesses.
// - Between claims the node stays open. The kernel saves the control
//   register (the output lines and the data direction) when the port is
//   released and writes it back at the next claim, over whatever another
//   driver left there; it does not touch the data register, so the data
//   lines keep what was last written, unless another driver (lp printing)
//   wrote them in between, and then the next read shows that. A node opened
//   anew starts from the kernel's initial control register instead.
// - A claim cut short at its limit stays queued in the kernel, which would
//   hand the port to it once the other program lets go, with no one to give
//   it back. Closing the node withdraws it; the next access opens the node
//   again.
void PpdevPorts::claim(Port& port, std::chrono::milliseconds limit) {
    const std::string& node = port.where.node;
    if (port.fd < 0) {
        const int fd = system_->open(node);
        if (fd < 0) {
            const int error = -fd;
            if (error == EACCES || error == EPERM) {
                throw PortError(PortErrorKind::NotPermitted, msg::PpdevNodeDenied(node));
            }
            if (error == ENOENT || error == ENXIO || error == ENODEV) {
                throw PortError(PortErrorKind::Missing, msg::PpdevNodeMissing(node));
            }
            throw PortError(PortErrorKind::FailedAccess, msg::PpdevFailed(node, "open", error));
        }
        port.fd = fd;
        port.control = 0; // a new registration starts from the driver's control register
    }
    const int result = system_->claim(port.fd, limit);
    if (result == 0) {
        port.claimed = true;
        return;
    }
    system_->close(port.fd);
    port.fd = -1;
    if (result == -ETIMEDOUT) {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(limit);
        throw PortError(PortErrorKind::Busy,
                        msg::PpdevBusy(node, static_cast<int>(seconds.count())));
    }
    // The kernel refuses to register us (ENXIO) while another program holds
    // the port for itself alone (PPEXCL).
    if (result == -ENXIO) {
        throw PortError(PortErrorKind::Busy, msg::PpdevHeldExclusively(node));
    }
    throw PortError(PortErrorKind::FailedAccess, msg::PpdevFailed(node, "PPCLAIM", -result));
}

std::unique_ptr<PortHold> PpdevPorts::hold(std::uint16_t address, std::chrono::milliseconds limit) {
    const std::shared_ptr<Port>& port = portOf(address);
    if (port->holds == 0) {
        claim(*port, limit);
    }
    return std::make_unique<ClaimHold>(system_, port);
}

std::unique_ptr<PortHold> PpdevPorts::holdForSequence(std::uint16_t address) {
    return hold(address, kClaimLimit);
}

std::unique_ptr<PortHold> PpdevPorts::holdForReading(std::uint16_t address) {
    return hold(address, kNoWaitLimit);
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
    Port& port = *portOf(address);
    const Claim claimed(*this, port);
    return readClaimed(port, address);
}

std::uint8_t PpdevPorts::readClaimed(const Port& port, std::uint16_t address) {
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

HeldReader PpdevPorts::heldReader(std::span<const std::uint16_t> addresses) {
    for (const std::uint16_t address : addresses) {
        if (portOf(address)->holds == 0)
            return PortBackend::heldReader(addresses);
    }
    // Every address is a register of a port that a hold keeps claimed
    // (portOf refused any other). Should the hold end all the same, the
    // kernel refuses the ioctl of a port not claimed, and the read throws.
    return {[](void* backend, std::uint16_t address) {
                auto& self = *static_cast<PpdevPorts*>(backend);
                for (const auto& port : self.ports_) {
                    if (HasRegister(port->where, address))
                        return self.readClaimed(*port, address);
                }
                return self.read(address); // never: no such address is held
            },
            this};
}

void PpdevPorts::write(std::uint16_t address, std::uint8_t value) {
    Port& port = *portOf(address);
    const Claim claimed(*this, port);
    writeClaimed(port, address, value, false);
}

HeldWriter PpdevPorts::heldWriter(std::span<const std::uint16_t> addresses) {
    for (const std::uint16_t address : addresses) {
        if (portOf(address)->holds == 0)
            return PortBackend::heldWriter(addresses);
    }
    // As heldReader: every address is a register of a port a hold keeps claimed.
    return {[](void* backend, std::uint16_t address, std::uint8_t value) {
                auto& self = *static_cast<PpdevPorts*>(backend);
                for (const auto& port : self.ports_) {
                    if (HasRegister(port->where, address))
                        return self.writeClaimed(*port, address, value, true);
                }
                self.write(address, value); // never: no such address is held
            },
            this};
}

void PpdevPorts::writeClaimed(Port& port, std::uint16_t address, std::uint8_t value,
                              bool onlyTurns) {
    switch (address - port.where.base) {
    case kDataRegister:
        writeRegister(port, PPWDATA, "PPWDATA", value);
        return;
    case kStatusRegister:
        return; // an input register: writing it changes nothing
    default: {
        writeRegister(port, PPWCONTROL, "PPWCONTROL",
                      static_cast<std::uint8_t>(value & kControlOutputLines));
        // A signal on the control pins writes this register thousands of
        // times a second with bit 5 as it was: one ioctl a write, not two.
        if (!onlyTurns || ((value ^ port.control) & kControlDataInput) != 0) {
            int input = (value & kControlDataInput) != 0 ? 1 : 0;
            call(port, PPDATADIR, "PPDATADIR", &input);
        }
        port.control = value;
        return;
    }
    }
}

std::string PpdevPorts::describe() const {
    std::string ports;
    for (const auto& port : ports_) {
        ports += (ports.empty() ? "" : ", ") + port->where.node + " på " + Range(port->where.base);
    }
    return msg::PpdevDescription(ports);
}

} // namespace portprov
