// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/ParallelPortDiscovery.h"
#include "ports/linux/PpdevSystem.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
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
// Each port is opened and claimed on its first access and held until the
// backend goes away.
class PpdevPorts : public PortBackend {
public:
    // How long a claim waits for another driver or program to let go.
    static constexpr std::chrono::milliseconds kClaimLimit{3000};

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

private:
    struct Port {
        ParallelPortNode where;
        int fd = -1;
        std::uint8_t control = 0; // as last written, for bits 4-7
    };

    Port& claimed(std::uint16_t address);
    void claim(Port& port);
    // One ioctl on a claimed port; a failure becomes PortError.
    void call(const Port& port, unsigned long request, const char* name, void* arg);
    std::uint8_t readRegister(const Port& port, unsigned long request, const char* name);
    void writeRegister(const Port& port, unsigned long request, const char* name,
                       std::uint8_t value);

    std::vector<Port> ports_;
    std::shared_ptr<PpdevSystem> system_;
    std::string programPath_;
    std::optional<std::string> lockdownMode_;
};

} // namespace portprov
