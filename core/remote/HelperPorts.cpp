// SPDX-License-Identifier: MIT
#include "remote/HelperPorts.h"

#include "generating/Generator.h"

#include "ports/linux/RetryOnInterrupt.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <new>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace portprov {

namespace hp = helper_protocol;
using hp::Kind;

namespace {

constexpr int kStopLookMs = 20;
// How long the end waits for the helper to go; past that it is left to end on its own.
constexpr auto kEndWait = std::chrono::seconds(3);

constexpr const char* kHelperGone =
    "Hjälpprogrammet portprov-io, som når portarna åt Portprov, slutade svara. Försök igen; "
    "det startas på nytt vid nästa läsning eller skrivning.";

PortError Failure(const char* text) {
    return PortError(PortErrorKind::FailedAccess, text);
}

hp::Request RequestOf(Kind kind, std::uint16_t port = 0) {
    hp::Request request;
    request.kind = kind;
    request.port = port;
    return request;
}

class HelperHold : public PortHold {
public:
    HelperHold(HelperPorts& ports, std::uint16_t port) : ports_(ports), port_(port) {}
    ~HelperHold() override { ports_.release(port_); }
    HelperHold(const HelperHold&) = delete;
    HelperHold& operator=(const HelperHold&) = delete;

private:
    HelperPorts& ports_;
    std::uint16_t port_;
};

} // namespace

HelperPorts::HelperPorts(const std::vector<std::string>& command) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        throw Failure("Portprov kunde inte öppna en förbindelse till hjälpprogrammet portprov-io.");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The helper's end becomes its standard input and output; nothing else
    // of this program's is handed on (every other descriptor is close-on-exec,
    // and the helper closes any that is not).
    posix_spawn_file_actions_adddup2(&actions, pair[1], 0);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 1);
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&pid_, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    socket_ = pair[0];
    if (spawned != 0) {
        ::close(socket_);
        socket_ = -1;
        // A helper kept to a group (mode 0750) that this user is not in.
        const bool refused = spawned == EACCES || spawned == EPERM;
        throw PortError(refused ? PortErrorKind::NotPermitted : PortErrorKind::Missing,
                        "Hjälpprogrammet " + command.front() + " kunde inte startas (" +
                            std::string(std::strerror(spawned)) + ").");
    }
    greet();
}

HelperPorts::HelperPorts(int connected) : socket_(connected) {
    greet();
}

void HelperPorts::greet() {
    try {
        description_ = ask(RequestOf(Kind::Hello), Kind::Ready).text +
                       " genom hjälpprogrammet portprov-io";
    } catch (...) {
        end();
        throw;
    }
}

HelperPorts::~HelperPorts() {
    end();
}

void HelperPorts::end() noexcept {
    if (socket_ >= 0) {
        // The helper reads the end of its input, puts back what it holds and ends.
        ::shutdown(socket_, SHUT_RDWR);
        ::close(socket_);
        socket_ = -1;
    }
    if (pid_ > 0) {
        const auto deadline = std::chrono::steady_clock::now() + kEndWait;
        while (::waitpid(pid_, nullptr, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        pid_ = -1;
    }
}

void HelperPorts::gone() {
    throw Failure(kHelperGone);
}

void HelperPorts::send(const hp::Request& request) {
    const hp::Frame frame = hp::Encode(request);
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = RetryOnInterrupt([&] {
            return ::send(socket_, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        });
        if (n <= 0)
            gone();
        sent += static_cast<std::size_t>(n);
    }
}

hp::Answer HelperPorts::receive(Kind expected) {
    hp::Frame frame;
    std::size_t got = 0;
    while (got < frame.size()) {
        const ssize_t n = RetryOnInterrupt(
            [&] { return ::read(socket_, frame.data() + got, frame.size() - got); });
        if (n <= 0)
            gone();
        got += static_cast<std::size_t>(n);
    }
    auto parsed = hp::ParseAnswer(frame);
    if (std::holds_alternative<hp::Refusal>(parsed))
        throw Failure("Hjälpprogrammet portprov-io gav ett felaktigt svar.");
    hp::Answer answer = std::move(std::get<hp::Answer>(parsed));
    if (answer.kind == Kind::Failed)
        throw PortError(answer.errorKind, answer.text);
    // During a recording several kinds may come; the caller sorts them.
    if (expected != Kind::Recorded && answer.kind != expected)
        throw Failure("Hjälpprogrammet portprov-io svarade på något annat än det tillfrågades om.");
    return answer;
}

hp::Answer HelperPorts::ask(const hp::Request& request, Kind expected) {
    const std::lock_guard<std::mutex> lock(mutex_);
    send(request);
    return receive(expected);
}

std::uint8_t HelperPorts::read(std::uint16_t port) {
    return ask(RequestOf(Kind::Read, port), Kind::Byte).value;
}

void HelperPorts::write(std::uint16_t port, std::uint8_t value) {
    hp::Request request = RequestOf(Kind::Write, port);
    request.value = value;
    ask(request, Kind::Done);
}

std::unique_ptr<PortHold> HelperPorts::holdForSequence(std::uint16_t port) {
    ask(RequestOf(Kind::Hold, port), Kind::Done);
    return std::make_unique<HelperHold>(*this, port);
}

void HelperPorts::release(std::uint16_t port) noexcept {
    try {
        ask(RequestOf(Kind::Release, port), Kind::Done);
    } catch (const std::exception&) {
        // A helper that went away has let go of everything.
    }
}

PinToggle HelperPorts::togglePin(int pin, std::uint16_t base) {
    hp::Request request = RequestOf(Kind::TogglePin, base);
    request.pin = pin;
    return ask(request, Kind::PinToggled).toggle;
}

LoopbackReport HelperPorts::loopbackTest(std::uint16_t base, LoopbackPlug plug) {
    hp::Request request = RequestOf(Kind::Loopback, base);
    request.plug = plug;
    return ask(request, Kind::LoopbackDone).loopback;
}

PortModes HelperPorts::probeModes(std::uint16_t base) {
    return ask(RequestOf(Kind::Probe, base), Kind::ProbeDone).modes;
}

std::size_t HelperPorts::printLine(std::uint16_t base, std::string_view text,
                                   std::chrono::nanoseconds byteWait) {
    if (text.size() > hp::kLongestTestLine || byteWait > hp::kLongestByteWait)
        throw PortError(PortErrorKind::RefusedInput, "Testraden är för lång för portprov-io.");
    hp::Request request = RequestOf(Kind::TestLine, base);
    request.text = std::string(text);
    request.byteWait = byteWait;
    return ask(request, Kind::Printed).count;
}

GeneratorResult HelperPorts::generate(const GeneratorOptions& /*options*/,
                                     const std::atomic<bool>& /*stop*/,
                                     std::atomic<double>& /*progress*/) {
    throw PortError(PortErrorKind::NotCovered,
                    "Signalgeneratorn kan ännu inte köras genom portprov-io.");
}

RecorderResult HelperPorts::record(const RecorderOptions& options, const std::atomic<bool>& stop,
                                   std::atomic<double>& progress, std::atomic<bool>& waiting) {
    const std::lock_guard<std::mutex> lock(mutex_);
    hp::Request request = RequestOf(Kind::Record);
    request.record = options;
    send(request);
    receive(Kind::RecordStarted);
    RecorderResult result;
    Recording& recording = result.recording;
    for (const std::int32_t port : options.ports)
        recording.ports.push_back(static_cast<std::uint16_t>(port));
    bool stopSent = false;
    bool roomy = true; // memory has not run out for the changes
    for (;;) {
        if (stop.load() && !stopSent) {
            send(RequestOf(Kind::StopRecording));
            stopSent = true;
        }
        pollfd helper{socket_, POLLIN, 0};
        if (::poll(&helper, 1, kStopLookMs) <= 0)
            continue;
        hp::Answer answer = receive(Kind::Recorded);
        if (answer.kind == Kind::Progress) {
            progress.store(answer.progress, std::memory_order_relaxed);
            waiting.store(answer.waiting, std::memory_order_relaxed);
        } else if (answer.kind == Kind::Changes) {
            for (const Recording::Change& change : answer.changes) {
                if (change.channel >= recording.ports.size())
                    throw Failure("Hjälpprogrammet portprov-io gav ett felaktigt svar.");
                try {
                    if (roomy)
                        recording.changes.push_back(change);
                } catch (const std::bad_alloc&) {
                    roomy = false; // the rest is read, and left, to keep the pipe in step
                }
            }
        } else if (answer.kind == Kind::Recorded && answer.end.initial.size() == recording.ports.size()) {
            recording.initial = answer.end.initial;
            recording.length = answer.end.length;
            recording.triggerTime = answer.end.triggerTime;
            result.stats = answer.end.stats;
            if (!roomy) {
                // What came before memory ran out: up to its last change.
                result.stats.outOfMemory = true;
                recording.length = std::max(recording.changes.empty() ? std::chrono::nanoseconds{}
                                                                      : recording.changes.back().time,
                                            recording.triggerTime.value_or(std::chrono::nanoseconds{}));
            }
            return result;
        } else {
            throw Failure("Hjälpprogrammet portprov-io svarade på något annat än det tillfrågades om.");
        }
    }
}

} // namespace portprov
