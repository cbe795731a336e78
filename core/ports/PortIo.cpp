// SPDX-License-Identifier: MIT
#include "ports/PortIo.h"

#include <mutex>
#include <utility>

namespace portprov {

namespace {

// The chosen way to the ports and, once the first access has opened it, the
// backend itself. The window touches ports from its one thread; a recording
// reads them from a thread of its own. Two accesses never interleave: each
// single access keeps `gate` for its length, which is never long, and a
// recording marks `sequenceRuns` instead of keeping the mutex, so that the
// other thread's accesses are refused at once, without waiting for it to end.
struct PortBinding {
    BackendFactory factory;
    std::unique_ptr<PortBackend> backend;
    std::mutex gate;
    bool sequenceRuns = false;
};

PortBinding& Binding() {
    static PortBinding binding;
    return binding;
}

// Passes every access on to a backend that someone else owns.
class SharedPorts : public PortBackend {
public:
    explicit SharedPorts(std::shared_ptr<PortBackend> ports) : ports_(std::move(ports)) {}

    std::uint8_t read(std::uint16_t port) override { return ports_->read(port); }
    void write(std::uint16_t port, std::uint8_t value) override { ports_->write(port, value); }
    std::string describe() const override { return ports_->describe(); }
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override {
        return ports_->holdForSequence(port);
    }
    std::unique_ptr<PortHold> holdForReading(std::uint16_t port) override {
        return ports_->holdForReading(port);
    }
    RemoteSequences* sequencesElsewhere(std::uint16_t port) override {
        return ports_->sequencesElsewhere(port);
    }
    HeldReader heldReader(std::span<const std::uint16_t> ports) override {
        return ports_->heldReader(ports);
    }
    HeldWriter heldWriter(std::span<const std::uint16_t> ports) override {
        return ports_->heldWriter(ports);
    }

private:
    std::shared_ptr<PortBackend> ports_;
};

std::uint16_t CheckedPort(std::int32_t port) {
    if (!IsValidPort(port))
        throw PortError(PortErrorKind::RefusedInput, std::string(kInvalidAddressMessage));
    return static_cast<std::uint16_t>(port);
}

// The gate for one access (or a change of backend), refused while a recording runs.
std::unique_lock<std::mutex> EnterGate(PortBinding& binding) {
    std::unique_lock<std::mutex> entered(binding.gate);
    if (binding.sequenceRuns)
        throw PortError(PortErrorKind::Busy, kRecordingRunsMessage);
    return entered;
}

// Opens the backend on the first access. A factory that throws leaves nothing
// bound, so the next access tries again (the user may have loaded the driver
// or fixed the permissions in between).
PortBackend& BoundBackend() {
    PortBinding& binding = Binding();
    if (!binding.backend) {
        if (!binding.factory)
            throw PortError(PortErrorKind::Missing, "Ingen portåtkomst är vald i programmet.");
        std::unique_ptr<PortBackend> opened = binding.factory();
        if (!opened)
            throw PortError(PortErrorKind::Missing, "Portåtkomsten kunde inte öppnas.");
        binding.backend = std::move(opened);
    }
    return *binding.backend;
}

} // namespace

void SelectPortBackend(BackendFactory factory) {
    PortBinding& binding = Binding();
    const auto entered = EnterGate(binding);
    binding.backend.reset();
    binding.factory = std::move(factory);
}

BackendFactory SharedBackend(std::shared_ptr<PortBackend> backend) {
    return [backend = std::move(backend)]() -> std::unique_ptr<PortBackend> {
        if (!backend)
            return nullptr;
        return std::make_unique<SharedPorts>(backend);
    };
}

std::string PortAccessDescription() {
    PortBinding& binding = Binding();
    const std::lock_guard<std::mutex> entered(binding.gate);
    if (binding.backend)
        return binding.backend->describe();
    if (binding.factory)
        return "portåtkomsten öppnas vid första läsning eller skrivning";
    return "ingen portåtkomst vald";
}

std::string OpenPortBackend() {
    const auto entered = EnterGate(Binding());
    return BoundBackend().describe();
}

std::uint8_t DlPortReadPortUchar(std::int32_t port) {
    const std::uint16_t checked = CheckedPort(port);
    const auto entered = EnterGate(Binding());
    return BoundBackend().read(checked);
}

void DlPortWritePortUchar(std::int32_t port, std::int32_t value) {
    const std::uint16_t checked = CheckedPort(port);
    const auto entered = EnterGate(Binding());
    BoundBackend().write(checked, static_cast<std::uint8_t>(value & 0xFF));
}

std::unique_ptr<PortHold> HoldPortForSequence(std::int32_t port) {
    const std::uint16_t checked = CheckedPort(port);
    const auto entered = EnterGate(Binding());
    return BoundBackend().holdForSequence(checked);
}

std::unique_ptr<PortHold> HoldPortForReading(std::int32_t port) {
    const std::uint16_t checked = CheckedPort(port);
    const auto entered = EnterGate(Binding());
    return BoundBackend().holdForReading(checked);
}

RemoteSequences* SequencesElsewhereFor(std::int32_t port) {
    const std::uint16_t checked = CheckedPort(port);
    const auto entered = EnterGate(Binding());
    return BoundBackend().sequencesElsewhere(checked);
}

DirectPortSequence::DirectPortSequence(std::span<const std::int32_t> ports) {
    for (const std::int32_t port : ports)
        ports_.push_back(CheckedPort(port));
    PortBinding& binding = Binding();
    const auto entered = EnterGate(binding);
    backend_ = &BoundBackend();
    for (const std::uint16_t port : ports_) {
        if (auto hold = backend_->holdForSequence(port))
            holds_.push_back(std::move(hold));
    }
    // Nothing above threw: from here on the ports are the sequence's alone.
    binding.sequenceRuns = true;
}

DirectPortSequence::~DirectPortSequence() {
    holds_.clear();
    PortBinding& binding = Binding();
    const std::lock_guard<std::mutex> entered(binding.gate);
    binding.sequenceRuns = false;
}

} // namespace portprov
