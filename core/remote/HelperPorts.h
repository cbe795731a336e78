// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/RemoteSequences.h"
#include "remote/HelperProtocol.h"

#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace portprov {

// The ports reached through the helper portprov-io, the one program that may
// hold port rights: this program holds none, so that nothing a user can
// steer in it (the toolkit reads plugins, fonts and styles from the user's
// environment) ever runs with them. Each access is one request and one
// answer over a socket pair on the helper's standard input and output; the
// sequences that must run next to the port run in the helper
// (RemoteSequences). The helper ends when this side closes its end, putting
// back a port held for a sequence. Safe to use from two threads; one
// request at a time.
class HelperPorts : public PortBackend, public RemoteSequences {
public:
    // Starts command (the helper's path first, or pkexec and the path) and
    // greets it. Throws PortError: the helper could not be started or went
    // away (FailedAccess), or the helper's own refusal (NotPermitted when it
    // has no rights), with its kind and text.
    explicit HelperPorts(const std::vector<std::string>& command);
    // Over a socket already connected to a helper's loop (tests); taken over.
    explicit HelperPorts(int connected);
    ~HelperPorts() override;
    HelperPorts(const HelperPorts&) = delete;
    HelperPorts& operator=(const HelperPorts&) = delete;

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string describe() const override { return description_; }
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override;
    RemoteSequences* sequencesElsewhere(std::uint16_t) override { return this; }

    PinToggle togglePin(int pin, std::uint16_t base) override;
    LoopbackReport loopbackTest(std::uint16_t base, LoopbackPlug plug) override;
    PortModes probeModes(std::uint16_t base) override;
    std::size_t printLine(std::uint16_t base, std::string_view text,
                          std::chrono::nanoseconds byteWait) override;
    GeneratorResult generate(const GeneratorOptions& options, const std::atomic<bool>& stop,
                             std::atomic<double>& progress) override;
    RecorderResult record(const RecorderOptions& options, const std::atomic<bool>& stop,
                          std::atomic<double>& progress, std::atomic<bool>& waiting) override;

    // Lets go of a hold taken by holdForSequence (its PortHold's end).
    void release(std::uint16_t port) noexcept;

private:
    // One request and its answer; a Failed answer is thrown as its PortError,
    // an answer of another kind than expected as FailedAccess.
    helper_protocol::Answer ask(const helper_protocol::Request& request,
                                helper_protocol::Kind expected);
    void send(const helper_protocol::Request& request);
    // Any kind when expected is none: the caller sorts them.
    helper_protocol::Answer receive(std::optional<helper_protocol::Kind> expected);
    // A run that streams its answers (a recording, a signal): sends its
    // requests, waits for started, passes stop on, stores progress (and
    // waiting, when asked), gathers a recording's changes into recorded, and
    // gives back the answer of the kind `end`. Call with mutex_ held.
    helper_protocol::Answer stream(const std::vector<helper_protocol::Request>& requests,
                                   helper_protocol::Kind started, helper_protocol::Kind end,
                                   const std::atomic<bool>& stop, std::atomic<double>& progress,
                                   std::atomic<bool>* waiting, Recording& recorded);
    [[noreturn]] void gone();
    // Closes this side's end and waits a moment for the helper to end.
    void end() noexcept;
    void greet();

    std::mutex mutex_;
    int socket_ = -1;
    pid_t pid_ = -1;
    std::string description_;
};

} // namespace portprov
