// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "process/DeferredTerminationSignals.h"
#include "recording/ChangeStream.h"
#include "remote/HelperProtocol.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace portprov {

// The helper's side of the pipe: answers one window's requests, one frame
// at a time, on the ports of the program's bound backend (the real ones in
// portprov-io). Every request is checked before a port is touched, and a
// bad one is refused with an answer. When the window's end closes (the
// window ended or was killed) while it holds a port for a sequence, the
// parallel port's data latch and control register are put back as they
// were when it took the hold; then serve() returns.
class HelperServer {
public:
    // in and out: the pipe's ends (the same socket in portprov-io); not closed
    // here. A recording's changes go out changesBatch at a time while it runs.
    HelperServer(int in, int out, std::size_t changesBatch = ChangeStream::kBatch)
        : in_(in), out_(out), changesBatch_(changesBatch) {}
    ~HelperServer();
    HelperServer(const HelperServer&) = delete;
    HelperServer& operator=(const HelperServer&) = delete;

    // Serves until the window's end closes. False when an answer could not
    // be sent.
    bool serve();

    // Holds a window may keep at once.
    static constexpr std::size_t kMostHolds = 16;

private:
    struct Held {
        std::uint16_t port;
        std::unique_ptr<PortHold> hold;
        std::optional<std::uint16_t> base;
        std::optional<std::uint8_t> data;
        std::uint8_t control = 0;
    };

    bool readFrame(helper_protocol::Frame& frame);
    bool send(const helper_protocol::Answer& answer);
    helper_protocol::Answer answer(const helper_protocol::Request& request);
    helper_protocol::Answer hold(std::uint16_t port);
    helper_protocol::Answer release(std::uint16_t port);
    // The runs that stream their answers (HelperServerRuns.cpp): a
    // recording, a signal. False when the window went away.
    bool record(const helper_protocol::Request& request);
    bool generate(helper_protocol::Request request);
    // What follow() needs of a run that goes on a thread of its own.
    struct Run {
        std::function<bool()> finished;
        std::function<void()> stop;
        std::function<double()> progress;
        std::function<bool()> waiting;
    };
    // Says `started`, then follows the run to its end: a stop request stops
    // it, any other request is answered Busy, progress and the recording's
    // changes handed over so far go out now and then, and a window that
    // goes away stops it too (gone_).
    void follow(helper_protocol::Kind started, const Run& run, ChangeStream& changes);
    // The recording's end: the changes still in the stream, then those
    // still in the result. False when the window went away.
    bool sendLastChanges(ChangeStream& stream, const std::vector<Recording::Change>& rest);
    // A recording's changes, kChangesPerFrame to a frame.
    bool sendChanges(const std::vector<Recording::Change>& changes);
    void putBackHeldPorts() noexcept;

    int in_;
    int out_;
    std::size_t changesBatch_;
    std::vector<Held> held_;
    // While a port is held, SIGTERM waits until it is put back.
    std::optional<DeferredTerminationSignals> signalsAfterRelease_;
    bool gone_ = false;
};

} // namespace portprov
