// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace portprov {

// The ports of a user without port rights: those the kernel's parallel-port
// driver reaches here (ppdev, for members of the group lp), and every other
// address through the helper portprov-io, which is started at the first
// access that needs it, not before (--help starts nothing), and again at the
// next access after it could not be.
class PortsWithHelper : public PortBackend {
public:
    using Starter = std::function<std::unique_ptr<PortBackend>(const std::string& path)>;

    // here: the ports reached here, covering the addresses `covers` says;
    // nullptr when none are.
    PortsWithHelper(std::unique_ptr<PortBackend> here, std::function<bool(std::uint16_t)> covers,
                    std::string helperPath, Starter start);

    std::uint8_t read(std::uint16_t port) override { return to(port).read(port); }
    void write(std::uint16_t port, std::uint8_t value) override { to(port).write(port, value); }
    std::string describe() const override;
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override {
        return to(port).holdForSequence(port);
    }
    std::unique_ptr<PortHold> holdForReading(std::uint16_t port) override {
        return to(port).holdForReading(port);
    }
    RemoteSequences* sequencesElsewhere(std::uint16_t port) override {
        return to(port).sequencesElsewhere(port);
    }

private:
    PortBackend& to(std::uint16_t port);

    std::unique_ptr<PortBackend> here_;
    std::function<bool(std::uint16_t)> covers_;
    std::string helperPath_;
    Starter start_;
    mutable std::mutex mutex_;
    std::unique_ptr<PortBackend> helper_;
};

} // namespace portprov
