// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// A fake backend for tests: reads answer from a script, every call is logged.
class RecordingPorts : public PortBackend {
public:
    struct Call {
        enum class Kind { Read, Write } kind;
        std::uint16_t port;
        std::uint8_t value; // written, or the answer given to a read
        bool operator==(const Call&) const = default;
    };

    // The next read of port answers value (queued, first in first out).
    void scriptRead(std::uint16_t port, std::uint8_t value);
    // Reads of port with nothing scripted answer value (default: 255).
    void setIdleValue(std::uint16_t port, std::uint8_t value);
    // Every access throws PortError of this kind with this message from now
    // on, until stopFailing(); a refused access reaches no port and is not logged.
    void failWith(std::string message, PortErrorKind kind = PortErrorKind::FailedAccess);
    void stopFailing();

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string describe() const override;

    const std::vector<Call>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

private:
    std::map<std::uint16_t, std::deque<std::uint8_t>> scripted_;
    std::map<std::uint16_t, std::uint8_t> idle_;
    std::optional<std::string> failure_;
    PortErrorKind failureKind_ = PortErrorKind::FailedAccess;
    std::vector<Call> calls_;
};

} // namespace portprov
