// SPDX-License-Identifier: MIT
#pragma once

#include "ports/HeldReader.h"
#include "ports/HeldWriter.h"
#include "ports/PortError.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace portprov {

class RemoteSequences;

// Keeps a port for one process's sequence of accesses for as long as it lives
// (PortBackend::holdForSequence).
class PortHold {
public:
    virtual ~PortHold() = default;
};

// One way of reaching the PC's I/O ports. Addresses reaching a backend are
// already checked to be 0 to 65535.
class PortBackend {
public:
    virtual ~PortBackend() = default;

    virtual std::uint8_t read(std::uint16_t port) = 0;
    virtual void write(std::uint16_t port, std::uint8_t value) = 0;
    // Short Swedish description of the access path, for --help and messages.
    virtual std::string describe() const = 0;

    // Keeps the port unit of `port` (a parallel port's three registers, or
    // the game port) for a sequence of accesses by this process: while the
    // hold lives, other processes' accesses to the unit are refused as Busy,
    // and this process's own go through. Throws PortError (Busy) when another
    // process keeps the unit past a short wait. nullptr where there is
    // nothing to hold: no other process reaches the port (the simulated PC).
    virtual std::unique_ptr<PortHold> holdForSequence(std::uint16_t /*port*/) { return nullptr; }

    // Keeps `port` ready for a long run of single accesses by this process
    // (continuous reading) where the access path must take the port from the
    // kernel before an access and give it back after (ppdev): the port stays
    // taken while the hold lives. Never waits: Busy at once while another
    // program has the port. nullptr where an access needs nothing taken
    // beforehand; there other programs' tests still get in between.
    virtual std::unique_ptr<PortHold> holdForReading(std::uint16_t /*port*/) { return nullptr; }

    // A reader of `ports`, each of them already held by this process
    // (holdForSequence, kept by a DirectPortSequence), that leaves out of
    // every read what the hold settles. Made on the thread that reads through
    // it: what that thread needs once (raw I/O's grant) is got here, and
    // refused here with PortError. By default every read goes through read().
    virtual HeldReader heldReader(std::span<const std::uint16_t> /*ports*/) {
        return {[](void* backend, std::uint16_t port) {
                    return static_cast<PortBackend*>(backend)->read(port);
                },
                this};
    }

    // The same for writes (a signal's): by default every write goes through
    // write().
    virtual HeldWriter heldWriter(std::span<const std::uint16_t> /*ports*/) {
        return {[](void* backend, std::uint16_t port, std::uint8_t value) {
                    static_cast<PortBackend*>(backend)->write(port, value);
                },
                this};
    }

    // Where the port at `port` is reached through another process that holds
    // the rights (the helper portprov-io), the sequences that must run in that
    // process, next to the port; nullptr where they run here.
    virtual RemoteSequences* sequencesElsewhere(std::uint16_t /*port*/) { return nullptr; }
};

} // namespace portprov
