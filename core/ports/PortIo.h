// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace portprov {

// Opens a backend. Called on the first port access, not before, and again on
// the next access for as long as it throws PortError.
using BackendFactory = std::function<std::unique_ptr<PortBackend>()>;

// Chooses the backend at start-up. Nothing is opened until the first access;
// a backend opened earlier is closed. Throws PortError (Busy) while a
// DirectPortSequence runs on the open backend.
void SelectPortBackend(BackendFactory factory);

// A factory that hands out a backend owned elsewhere (tests keep the fake).
BackendFactory SharedBackend(std::shared_ptr<PortBackend> backend);

// Description of the bound backend, or of none yet bound.
std::string PortAccessDescription();

// Opens the chosen backend as the first access would, touching no port, and
// describes it. Throws PortError like the accesses.
std::string OpenPortBackend();

// Largest valid x86 I/O address.
inline constexpr std::int32_t kHighestPort = 65535;
inline constexpr bool IsValidPort(std::int64_t port) {
    return port >= 0 && port <= kHighestPort;
}
// Refusal of an address that is not one, by the accesses and by the fields
// the user types addresses into alike.
inline constexpr std::string_view kInvalidAddressMessage =
    "Ogiltig adress: skriv ett heltal 0 - 65535";

// The program's only ways to a port. Both throw PortError when the backend
// cannot be opened, refuses the access, or the address is outside 0 to 65535
// (such an address never reaches a backend), and Busy at once while a
// DirectPortSequence (a recording) runs, on whichever thread they are called.
std::uint8_t DlPortReadPortUchar(std::int32_t port);
// The low 8 bits of value are written.
void DlPortWritePortUchar(std::int32_t port, std::int32_t value);

// Keeps the port at `port` for a sequence of accesses by this program (a
// loopback test) while the result lives, so that a second program on the same
// port cannot come between them (PortBackend::holdForSequence). Throws
// PortError like the accesses, and Busy while another program keeps the port.
// nullptr where the backend needs no hold.
[[nodiscard]] std::unique_ptr<PortHold> HoldPortForSequence(std::int32_t port);

// Keeps the port at `port` taken for continuous reading while the result
// lives, where the access path needs that (PortBackend::holdForReading), and
// never waits for it: Busy at once while another program has the port.
// nullptr where nothing is taken.
[[nodiscard]] std::unique_ptr<PortHold> HoldPortForReading(std::int32_t port);

// The sequences for the port at `port` where the bound backend runs them
// elsewhere (PortBackend::sequencesElsewhere), else nullptr (run them here).
// Opens the backend as the first access would; throws PortError like it.
RemoteSequences* SequencesElsewhereFor(std::int32_t port);

// Refusal of every other access while a recording runs.
inline constexpr const char* kRecordingRunsMessage =
    "En inspelning pågår på porten. Vänta tills den är klar eller stoppa den.";

// Hands the bound backend to one sequence of accesses that must run as fast
// as the access path allows (a recording), for as long as the object lives:
// its addresses are checked once here instead of on every access, the
// backend opened, and each one's port held against other programs
// (HoldPortForSequence). Meanwhile DlPortReadPortUchar, DlPortWritePortUchar,
// HoldPortForSequence and SelectPortBackend are refused as Busy
// (kRecordingRunsMessage), so that no access ever comes between the
// sequence's. Throws PortError like the accesses, and Busy while another
// sequence runs. May be made on one thread and used and ended on another.
class DirectPortSequence {
public:
    explicit DirectPortSequence(std::span<const std::int32_t> ports);
    ~DirectPortSequence();
    DirectPortSequence(const DirectPortSequence&) = delete;
    DirectPortSequence& operator=(const DirectPortSequence&) = delete;

    // Every address given is 0 to 65535 and may go to the backend as it is.
    PortBackend& backend() const { return *backend_; }

    // Reads the sequence's registers without the checks its hold has settled
    // (PortBackend::heldReader). Call it on the thread that reads, and read
    // only the addresses given, only while the sequence lives.
    [[nodiscard]] HeldReader reader() const { return backend_->heldReader(ports_); }
    // Writes them likewise (PortBackend::heldWriter).
    [[nodiscard]] HeldWriter writer() const { return backend_->heldWriter(ports_); }

private:
    PortBackend* backend_ = nullptr;
    std::vector<std::uint16_t> ports_;
    std::vector<std::unique_ptr<PortHold>> holds_;
};

} // namespace portprov
