// SPDX-License-Identifier: MIT
#include "RecordingPorts.h"

#include <utility>

namespace portprov {

namespace {
constexpr std::uint8_t kDefaultIdleValue = 255; // an open bus
}

void RecordingPorts::scriptRead(std::uint16_t port, std::uint8_t value) {
    scripted_[port].push_back(value);
}

void RecordingPorts::setIdleValue(std::uint16_t port, std::uint8_t value) {
    idle_[port] = value;
}

void RecordingPorts::failWith(std::string message, PortErrorKind kind) {
    failure_ = std::move(message);
    failureKind_ = kind;
}

void RecordingPorts::stopFailing() {
    failure_.reset();
}

std::uint8_t RecordingPorts::read(std::uint16_t port) {
    if (failure_)
        throw PortError(failureKind_, *failure_);
    std::uint8_t answer = kDefaultIdleValue;
    if (auto queue = scripted_.find(port); queue != scripted_.end() && !queue->second.empty()) {
        answer = queue->second.front();
        queue->second.pop_front();
    } else if (auto idle = idle_.find(port); idle != idle_.end()) {
        answer = idle->second;
    }
    calls_.push_back({Call::Kind::Read, port, answer});
    return answer;
}

void RecordingPorts::write(std::uint16_t port, std::uint8_t value) {
    if (failure_)
        throw PortError(failureKind_, *failure_);
    calls_.push_back({Call::Kind::Write, port, value});
}

std::string RecordingPorts::describe() const {
    return "inspelade testportar";
}

} // namespace portprov
