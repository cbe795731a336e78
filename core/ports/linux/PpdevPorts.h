// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/ParallelPortDiscovery.h"
#include "ports/linux/PpdevSystem.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace portprov {

// The parallel ports through the kernel's own driver (ppdev, /dev/parportN):
// no root needed, members of the lp group may use it, and it works under
// kernel lockdown. Only the three registers of each port are reachable:
//   base      data     PPRDATA / PPWDATA
//   base + 1  status   PPRSTATUS (writes are ignored, as by the register)
//   base + 2  control  PPRCONTROL / PPWCONTROL for bits 0-3, PPDATADIR for
//                      bit 5; bits 4-7 read back as last written
// Any other address is refused with PortError before anything is touched.
//
// The port is taken from the kernel (claimed) only while it is in use: a
// single access claims, reaches the register and releases; a hold
// (holdForSequence, holdForReading) keeps one claim over many accesses. In
// between, the printer driver lp and other programs get the port. Each node
// stays open from its first access to the end, so that the kernel keeps this
// program's control register between claims (see PpdevPorts.cpp).
class PpdevPorts : public PortBackend {
public:
    // How long a claim waits for another driver or program to let go.
    static constexpr std::chrono::milliseconds kClaimLimit{3000};
    // How long a claim for continuous reading may take: the kernel has no
    // claim that does not wait, so one that would have to is cut short.
    static constexpr std::chrono::milliseconds kNoWaitLimit{10};

    // programPath: named in the remedy for addresses ppdev cannot reach
    // (this program's own path when empty).
    // lockdownMode: the kernel lockdown in force, if any; then no remedy
    // for those addresses exists but turning Secure Boot off.
    explicit PpdevPorts(std::vector<ParallelPortNode> ports,
                        std::shared_ptr<PpdevSystem> system = KernelPpdev(),
                        std::string programPath = {},
                        std::optional<std::string> lockdownMode = std::nullopt);
    ~PpdevPorts() override;
    PpdevPorts(const PpdevPorts&) = delete;
    PpdevPorts& operator=(const PpdevPorts&) = delete;

    bool covers(std::uint16_t port) const;

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string describe() const override;
    // Both keep the port's claim for as long as the hold lives (holds nest);
    // the first waits up to kClaimLimit for another program to let go, the
    // second up to kNoWaitLimit.
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override;
    std::unique_ptr<PortHold> holdForReading(std::uint16_t port) override;
    // The register's ioctl alone, on the claim the holds keep; where one of
    // `ports` is not held, every read claims as read() does.
    HeldReader heldReader(std::span<const std::uint16_t> ports) override;
    HeldWriter heldWriter(std::span<const std::uint16_t> ports) override;

    struct Port {
        ParallelPortNode where;
        int fd = -1;               // the open node, kept between claims
        bool claimed = false;      // the kernel has given the port to fd
        std::atomic<int> holds{0}; // this program's holds; a recording's
                                   // thread reads it while the window's ends one
        std::uint8_t control = 0;  // as last written, for bits 4-7
        explicit Port(ParallelPortNode node) : where(std::move(node)) {}
    };

private:
    class Claim;

    const std::shared_ptr<Port>& portOf(std::uint16_t address);
    std::unique_ptr<PortHold> hold(std::uint16_t address, std::chrono::milliseconds limit);
    void claim(Port& port, std::chrono::milliseconds limit);
    // One ioctl on a claimed port; a failure becomes PortError.
    void call(const Port& port, unsigned long request, const char* name, void* arg);
    std::uint8_t readRegister(const Port& port, unsigned long request, const char* name);
    // Reads the register at address of the port, which is claimed.
    std::uint8_t readClaimed(const Port& port, std::uint16_t address);
    void writeRegister(const Port& port, unsigned long request, const char* name,
                       std::uint8_t value);
    // Writes the register at address of the port, which is claimed. The
    // data lines' direction is set again on every control write unless
    // onlyTurns: then only when bit 5 changes from the last write.
    void writeClaimed(Port& port, std::uint16_t address, std::uint8_t value, bool onlyTurns);

    std::vector<std::shared_ptr<Port>> ports_;
    std::shared_ptr<PpdevSystem> system_;
    std::string programPath_;
    std::optional<std::string> lockdownMode_;
};

} // namespace portprov
