// SPDX-License-Identifier: MIT
#include "remote/HelperServer.h"

#include "ports/ParallelPortRegisters.h"
#include "ports/ParallelPorts.h"
#include "ports/PortIo.h"
#include "ports/ReportedParallelPorts.h"
#include "ports/linux/RetryOnInterrupt.h"
#include "printing/TestLine.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <sys/socket.h>
#include <unistd.h>

namespace portprov {

namespace hp = helper_protocol;

namespace {

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

} // namespace

HelperServer::~HelperServer() {
    putBackHeldPorts();
}

bool HelperServer::readFrame(hp::Frame& frame) {
    std::size_t got = 0;
    while (got < frame.size()) {
        const ssize_t n =
            RetryOnInterrupt([&] { return ::read(in_, frame.data() + got, frame.size() - got); });
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
        ssize_t n = RetryOnInterrupt(
            [&] { return ::send(out_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL); });
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
        // A played sequence's changes after a Generate request that was
        // refused, as it came or at an earlier one of them: that request
        // has had its one answer.
        if (hp::IsFollowUp(frame))
            continue;
        const auto parsed = hp::ParseRequest(frame);
        if (const auto* refusal = std::get_if<hp::Refusal>(&parsed)) {
            if (!send(Refused(refusal->reason)))
                break;
            continue;
        }
        const hp::Request& request = std::get<hp::Request>(parsed);
        if (request.kind == hp::Kind::Record || request.kind == hp::Kind::Generate) {
            if (!(request.kind == hp::Kind::Record ? record(request) : generate(request)))
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

} // namespace portprov
