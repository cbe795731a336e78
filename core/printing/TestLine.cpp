// SPDX-License-Identifier: MIT
#include "printing/TestLine.h"

#include "connector/Connector.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortError.h"
#include "ports/PortIo.h"
#include "ports/RemoteSequences.h"
#include "ports/RestoringSequence.h"
#include "ports/SavedRegisters.h"

#include <string>
#include <thread>

namespace portprov {

namespace {

// Status bit 7 is the Busy line inverted: it reads 1 while the printer is
// ready, 0 while the pin is high (busy, or nothing attached). Bit 6 is Ack as
// it is on the pin.
constexpr ConnectorPin kBusyPin = *PinOf(Register::Status, status_bit::kBusy);
constexpr ConnectorPin kAckPin = *PinOf(Register::Status, status_bit::kAck);
static_assert(kBusyPin.inverted && !kAckPin.inverted);

using Clock = std::chrono::steady_clock;

bool PrinterReady(std::int32_t base) {
    return (DlPortReadPortUchar(base + kStatusOffset) & Bit(status_bit::kBusy)) != 0;
}

// Waits for the printer to be ready for at most `wait`: reads the status as
// fast as it can for a short while (a printer takes a byte in microseconds),
// then a read a millisecond so that a printer out of paper does not keep a
// core busy.
bool WaitUntilReady(std::int32_t base, std::chrono::nanoseconds wait) {
    const auto start = Clock::now();
    constexpr auto kSpin = std::chrono::milliseconds(2);
    while (true) {
        if (PrinterReady(base))
            return true;
        const auto waited = Clock::now() - start;
        if (waited >= wait)
            return false;
        if (waited >= kSpin)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Why the printer did not take a byte, as the message names it.
enum class Silence { None, Busy, NoAck, AckHeldLow };

// Waits for the printer to take the byte just strobed: Ack low and then high
// again (its acknowledgement), and Busy low, within `wait`. Busy alone is not
// enough: a plug or a dead cable can hold the Busy pin low for ever. The Ack
// pulse lasts a few microseconds, so this reads without sleeping, for at most
// `wait`; a printer that answers does so within microseconds.
Silence WaitForAcknowledgement(std::int32_t base, std::chrono::nanoseconds wait) {
    const auto start = Clock::now();
    bool ackWentLow = false;
    while (true) {
        const std::uint8_t status = DlPortReadPortUchar(base + kStatusOffset);
        const bool ackLow = (status & Bit(status_bit::kAck)) == 0;
        const bool ready = (status & Bit(status_bit::kBusy)) != 0;
        ackWentLow = ackWentLow || ackLow;
        if (ackWentLow && !ackLow && ready)
            return Silence::None;
        if (Clock::now() - start >= wait) {
            if (!ready)
                return Silence::Busy;
            return ackLow ? Silence::AckHeldLow : Silence::NoAck;
        }
    }
}

std::string ByteText(std::string_view text, std::size_t index) {
    const auto byte = static_cast<unsigned char>(text[index]);
    std::string shown = std::to_string(byte);
    if (byte >= 32 && byte < 127)
        shown += std::string(" '") + static_cast<char>(byte) + "'";
    return "byte " + std::to_string(index + 1) + " av " + std::to_string(text.size()) + " (" +
           shown + ")";
}

std::string WaitText(std::chrono::nanoseconds wait) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wait).count();
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

[[noreturn]] void NoAnswer(std::int32_t base, std::string_view text, std::size_t index,
                           Silence silence, bool afterStrobe, std::chrono::nanoseconds wait) {
    const std::string ack = "Ack (stift " + std::to_string(kAckPin.pin) + ")";
    const std::string why =
        silence == Silence::NoAck        ? "ingen kvittenspuls på " + ack
        : silence == Silence::AckHeldLow ? ack + " förblev låg"
                                         : "Busy (stift " + std::to_string(kBusyPin.pin) +
                                               ") förblev hög";
    throw PortError(PortErrorKind::FailedAccess,
                    "Skrivaren på " + std::to_string(base) + " svarar inte: " + why + " i " +
                        WaitText(wait) + (afterStrobe ? " efter " : " före ") +
                        ByteText(text, index) + "; " + std::to_string(index) +
                        " byte gick fram. Kontrollera att skrivaren är på, ansluten, har papper "
                        "och står på linje.");
}

// Sends the line byte by byte, the port held and its registers saved.
void SendLine(std::int32_t base, std::string_view text, std::chrono::nanoseconds byteWait,
              const SavedRegisters& saved) {
    // The data lines driven (bit 5 clear), Strobe at rest (bit 0 clear: the
    // line is inverted, so the pin stays high), the other lines as the user
    // left them.
    const auto rest = static_cast<std::uint8_t>(
        saved.control() & ~(Bit(control_bit::kStrobe) | Bit(control_bit::kBidirectional)));
    const auto strobe = static_cast<std::uint8_t>(rest | Bit(control_bit::kStrobe));
    DlPortWritePortUchar(base + kControlOffset, rest);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!WaitUntilReady(base, byteWait))
            NoAnswer(base, text, i, Silence::Busy, false, byteWait);
        DlPortWritePortUchar(base + kDataOffset, static_cast<unsigned char>(text[i]));
        DlPortWritePortUchar(base + kControlOffset, strobe);
        DlPortWritePortUchar(base + kControlOffset, rest);
        if (const Silence silence = WaitForAcknowledgement(base, byteWait);
            silence != Silence::None)
            NoAnswer(base, text, i, silence, true, byteWait);
    }
}

} // namespace

std::size_t PrintLine(std::int32_t base, std::string_view text, std::chrono::nanoseconds byteWait) {
    std::size_t sent = 0;
    // No second program may come between the line's bytes.
    RunRestoringSequence(base, "skrivaren",
                         {.body =
                              [&](SavedRegisters& saved) {
                                  SendLine(base, text, byteWait, saved);
                                  sent = text.size();
                              },
                          // Through the helper the line is printed there, next to the port.
                          .elsewhere =
                              [&](RemoteSequences& elsewhere) {
                                  sent = elsewhere.printLine(static_cast<std::uint16_t>(base), text,
                                                             byteWait);
                              }});
    return sent;
}

} // namespace portprov
