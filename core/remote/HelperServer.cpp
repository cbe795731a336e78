// SPDX-License-Identifier: MIT
#include "remote/HelperServer.h"

#include "ports/ParallelPortRegisters.h"
#include "printing/TestLine.h"
#include "ports/ParallelPorts.h"
#include "ports/PortIo.h"
#include "ports/ReportedParallelPorts.h"
#include "ports/linux/RetryOnInterrupt.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace portprov {

namespace hp = helper_protocol;

namespace {

constexpr int kProgressEveryMs = 50;

hp::Answer Simple(hp::Kind kind) {
    hp::Answer answer;
    answer.kind = kind;
    return answer;
}

hp::Answer Refused(const std::string& reason) {
    return hp::FailureAnswer(PortError(PortErrorKind::RefusedInput, reason));
}

// The parallel port whose register port is, among the usual ones and those
// the system reports.
std::optional<std::uint16_t> BaseOf(std::uint16_t port) {
    if (const auto parallel = ParallelRegisterAt(port, BasesOf(ReportedParallelPorts())))
        return parallel->base;
    return std::nullopt;
}

bool IsStop(const std::variant<hp::Request, hp::Refusal>& parsed) {
    const auto* request = std::get_if<hp::Request>(&parsed);
    return request && request->kind == hp::Kind::StopRecording;
}

} // namespace

HelperServer::~HelperServer() {
    putBackHeldPorts();
}

bool HelperServer::readFrame(hp::Frame& frame) {
    std::size_t got = 0;
    while (got < frame.size()) {
        const ssize_t n = RetryOnInterrupt(
            [&] { return ::read(in_, frame.data() + got, frame.size() - got); });
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool HelperServer::send(const hp::Answer& answer) {
    const hp::Frame frame = hp::Encode(answer);
    std::size_t sent = 0;
    while (sent < frame.size()) {
        // MSG_NOSIGNAL: a window that went away must not end the helper
        // with SIGPIPE before it has put the port back.
        ssize_t n = RetryOnInterrupt([&] {
            return ::send(out_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        });
        if (n < 0 && errno == ENOTSOCK)
            n = RetryOnInterrupt(
                [&] { return ::write(out_, frame.data() + sent, frame.size() - sent); });
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool HelperServer::serve() {
    hp::Frame frame;
    while (!gone_ && readFrame(frame)) {
        const auto parsed = hp::ParseRequest(frame);
        if (const auto* refusal = std::get_if<hp::Refusal>(&parsed)) {
            if (!send(Refused(refusal->reason)))
                break;
            continue;
        }
        const hp::Request& request = std::get<hp::Request>(parsed);
        if (request.kind == hp::Kind::Record) {
            if (!record(request))
                break;
            continue;
        }
        if (!send(answer(request)))
            break;
    }
    putBackHeldPorts();
    return !gone_;
}

hp::Answer HelperServer::answer(const hp::Request& request) {
    hp::Answer answer;
    try {
        switch (request.kind) {
        case hp::Kind::Hello:
            answer.kind = hp::Kind::Ready;
            answer.text = OpenPortBackend();
            break;
        case hp::Kind::Read:
            answer.kind = hp::Kind::Byte;
            answer.value = DlPortReadPortUchar(request.port);
            break;
        case hp::Kind::Write:
            DlPortWritePortUchar(request.port, request.value);
            answer.kind = hp::Kind::Done;
            break;
        case hp::Kind::Hold:
            return hold(request.port);
        case hp::Kind::Release:
            return release(request.port);
        case hp::Kind::TogglePin:
            answer.kind = hp::Kind::PinToggled;
            answer.toggle = TogglePin(request.pin, request.port);
            break;
        case hp::Kind::Loopback:
            answer.kind = hp::Kind::LoopbackDone;
            answer.loopback = RunLoopbackTest(request.port, request.plug);
            break;
        case hp::Kind::Probe:
            answer.kind = hp::Kind::ProbeDone;
            answer.modes = ProbePortModes(request.port);
            break;
        case hp::Kind::TestLine:
            answer.kind = hp::Kind::Printed;
            answer.count = PrintLine(request.port, request.text, request.byteWait);
            break;
        default:
            return Refused("Begäran passar inte här: ingen inspelning pågår.");
        }
    } catch (const PortError& error) {
        return hp::FailureAnswer(error);
    } catch (const std::bad_alloc&) {
        return hp::FailureAnswer(
            PortError(PortErrorKind::FailedAccess, "portprov-io fick inte minne nog."));
    }
    return answer;
}

hp::Answer HelperServer::hold(std::uint16_t port) {
    if (held_.size() >= kMostHolds)
        return Refused("portprov-io håller redan så många portar som det går.");
    Held held{port, HoldPortForSequence(port), BaseOf(port), std::nullopt, 0};
    // Saved without a single write, so that taking the hold changes nothing
    // on the port: with the data lines turned to input (control bit 5) the
    // data register reads the lines, not the latch, and only the control
    // register can be put back.
    if (held.base) {
        held.control = DlPortReadPortUchar(*held.base + kControlOffset);
        if ((held.control & 0x20) == 0)
            held.data = DlPortReadPortUchar(*held.base + kDataOffset);
    }
    if (held_.empty())
        signalsAfterRelease_.emplace();
    held_.push_back(std::move(held));
    return Simple(hp::Kind::Done);
}

hp::Answer HelperServer::release(std::uint16_t port) {
    const auto found = std::find_if(held_.rbegin(), held_.rend(),
                                    [port](const Held& held) { return held.port == port; });
    if (found == held_.rend())
        return Refused("portprov-io håller inte port " + std::to_string(port) + ".");
    held_.erase(std::next(found).base());
    if (held_.empty())
        signalsAfterRelease_.reset();
    return Simple(hp::Kind::Done);
}

void HelperServer::putBackHeldPorts() noexcept {
    for (auto held = held_.rbegin(); held != held_.rend(); ++held) {
        if (!held->base)
            continue;
        try {
            if (held->data)
                DlPortWritePortUchar(*held->base + kDataOffset, *held->data);
            DlPortWritePortUchar(*held->base + kControlOffset, held->control);
        } catch (const std::exception&) {
            // Nobody is left to tell; the other ports are still put back.
        }
    }
    held_.clear();
    signalsAfterRelease_.reset();
}

bool HelperServer::record(const hp::Request& request) {
    // A start write is on the port until the recording is over.
    const DeferredTerminationSignals signalsAfterRecording;
    std::optional<Recorder> recorder;
    try {
        recorder.emplace(request.record);
        recorder->start();
    } catch (const PortError& error) {
        return send(hp::FailureAnswer(error));
    }
    if (!send(Simple(hp::Kind::RecordStarted))) {
        gone_ = true;
        recorder->stop();
    }
    hp::Answer progress = Simple(hp::Kind::Progress);
    while (!recorder->finished()) {
        pollfd window{in_, POLLIN, 0};
        if (::poll(&window, 1, kProgressEveryMs) > 0 && !gone_) {
            hp::Frame frame;
            if (!readFrame(frame)) {
                gone_ = true; // the window went away: stop, and put the port back
                recorder->stop();
            } else if (IsStop(hp::ParseRequest(frame))) {
                recorder->stop();
            } else if (!send(hp::FailureAnswer(PortError(PortErrorKind::Busy, kRecordingRunsMessage)))) {
                gone_ = true;
            }
        }
        progress.progress = std::clamp(recorder->progress(), 0.0, 1.0);
        progress.waiting = recorder->waitingForEdge();
        if (!gone_ && !recorder->finished() && !send(progress))
            gone_ = true;
    }
    RecorderResult result;
    try {
        result = recorder->wait();
    } catch (const PortError& error) {
        return !gone_ && send(hp::FailureAnswer(error));
    } catch (const std::exception&) {
        // Out of memory, most likely: the window hears of it and may go on.
        return !gone_ && send(hp::FailureAnswer(PortError(
                             PortErrorKind::FailedAccess, "portprov-io fick inte minne nog.")));
    }
    if (gone_)
        return false;
    hp::Answer changes = Simple(hp::Kind::Changes);
    const auto& all = result.recording.changes;
    for (std::size_t at = 0; at < all.size(); at += hp::kChangesPerFrame) {
        const std::size_t end = std::min(all.size(), at + hp::kChangesPerFrame);
        changes.changes.assign(all.begin() + static_cast<std::ptrdiff_t>(at),
                               all.begin() + static_cast<std::ptrdiff_t>(end));
        if (!send(changes))
            return false;
    }
    hp::Answer done = Simple(hp::Kind::Recorded);
    done.end = {result.recording.initial, result.recording.length, result.recording.triggerTime,
                result.stats};
    return send(done);
}

} // namespace portprov
