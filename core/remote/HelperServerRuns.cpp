// SPDX-License-Identifier: MIT
// The helper's runs that go on for a while next to the port and stream their
// answers: a recording, and a signal with or without a recording beside it.
// Each runs on a thread of its own while this loop keeps listening to the
// window, for a stop and for a window that goes away.
#include "remote/HelperServer.h"

#include "ports/PortIo.h"

#include <algorithm>
#include <exception>
#include <new>
#include <poll.h>

namespace portprov {

namespace hp = helper_protocol;

namespace {

constexpr int kProgressEveryMs = 50;
constexpr const char* kNoMemory = "portprov-io fick inte minne nog.";

hp::Answer Simple(hp::Kind kind) {
    hp::Answer answer;
    answer.kind = kind;
    return answer;
}

bool IsStop(const std::variant<hp::Request, hp::Refusal>& parsed) {
    const auto* request = std::get_if<hp::Request>(&parsed);
    return request && request->kind == hp::Kind::StopRecording;
}

// The answer for what ended a run or kept it from starting: its PortError,
// or a failure the window hears of and may go on from (out of memory, most
// likely).
hp::Answer EndedBy(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const PortError& error) {
        return hp::FailureAnswer(error);
    } catch (const std::exception&) {
        return hp::FailureAnswer(PortError(PortErrorKind::FailedAccess, kNoMemory));
    }
}

hp::RecordedEnd EndOf(const RecorderResult& result) {
    return {result.recording.initial, result.recording.length, result.recording.triggerTime,
            result.stats};
}

} // namespace

void HelperServer::follow(hp::Kind started, const Run& run, ChangeStream& changes) {
    // A window that cannot be told any more is gone: the run stops, and the
    // port is put back now rather than at the run's end, up to a day later.
    const auto lose = [&] {
        gone_ = true;
        run.stop();
    };
    if (!send(Simple(started)))
        lose();
    hp::Answer progress = Simple(hp::Kind::Progress);
    while (!run.finished()) {
        pollfd window{in_, POLLIN, 0};
        if (::poll(&window, 1, kProgressEveryMs) > 0 && !gone_) {
            hp::Frame frame;
            if (!readFrame(frame)) {
                lose();
            } else if (IsStop(hp::ParseRequest(frame))) {
                run.stop();
            } else if (!send(hp::FailureAnswer(
                           PortError(PortErrorKind::Busy, kRecordingRunsMessage)))) {
                lose();
            }
        }
        if (!gone_ && !sendChanges(changes.take()))
            lose();
        progress.progress = std::clamp(run.progress(), 0.0, 1.0);
        progress.waiting = run.waiting();
        if (!gone_ && !run.finished() && !send(progress))
            lose();
    }
}

bool HelperServer::sendLastChanges(ChangeStream& stream,
                                   const std::vector<Recording::Change>& rest) {
    return !gone_ && sendChanges(stream.take()) && sendChanges(rest);
}

bool HelperServer::sendChanges(const std::vector<Recording::Change>& all) {
    hp::Answer changes = Simple(hp::Kind::Changes);
    for (std::size_t at = 0; at < all.size(); at += hp::kChangesPerFrame) {
        const std::size_t end = std::min(all.size(), at + hp::kChangesPerFrame);
        changes.changes.assign(all.begin() + static_cast<std::ptrdiff_t>(at),
                               all.begin() + static_cast<std::ptrdiff_t>(end));
        if (!send(changes))
            return false;
    }
    return true;
}

bool HelperServer::record(const hp::Request& request) {
    // A start write is on the port until the recording is over.
    const DeferredTerminationSignals signalsAfterRecording;
    // Outlives the run's thread, which hands the changes over to it.
    ChangeStream stream(changesBatch_);
    std::optional<Recorder> recorder;
    try {
        recorder.emplace(request.record);
        recorder->streamChangesTo(stream);
        recorder->start();
    } catch (...) {
        return send(EndedBy(std::current_exception()));
    }
    follow(hp::Kind::RecordStarted,
           {[&] { return recorder->finished(); }, [&] { recorder->stop(); },
            [&] { return recorder->progress(); }, [&] { return recorder->waitingForEdge(); }},
           stream);
    RecorderResult result;
    try {
        result = recorder->wait();
    } catch (...) {
        return !gone_ && send(EndedBy(std::current_exception()));
    }
    if (!sendLastChanges(stream, result.recording.changes))
        return false;
    hp::Answer done = Simple(hp::Kind::Recorded);
    done.end = EndOf(result);
    return send(done);
}

bool HelperServer::generate(hp::Request request) {
    // A played sequence's changes follow, and the port is untouched until
    // all are in. After a bad one the window hears at once; the rest of them
    // are left unanswered by serve() (IsFollowUp), so the pipe stays in step.
    for (std::size_t i = 0, count = hp::FollowUpsOf(request); i < count; ++i) {
        hp::Frame frame;
        if (!readFrame(frame))
            return false;
        std::optional<std::string> refusal;
        try {
            refusal = hp::AddFollowUp(request, hp::ParseRequest(frame));
        } catch (const std::bad_alloc&) {
            refusal = kNoMemory;
        }
        if (refusal)
            return send(hp::FailureAnswer(PortError(PortErrorKind::RefusedInput, *refusal)));
    }
    // The generator holds the port, holds back the termination signals and
    // puts the registers back itself: here there is no helper to hand it to.
    // Outlives the run's thread, which hands the changes over to it.
    ChangeStream stream(changesBatch_);
    std::optional<Generator> generator;
    try {
        generator.emplace(std::move(request.generate));
        generator->streamChangesTo(stream);
        generator->start();
    } catch (...) {
        return send(EndedBy(std::current_exception()));
    }
    follow(hp::Kind::GenerateStarted,
           {[&] { return generator->finished(); }, [&] { generator->stop(); },
            [&] { return generator->progress(); }, [] { return false; }},
           stream);
    GeneratorResult result;
    try {
        result = generator->wait();
    } catch (...) {
        return !gone_ && send(EndedBy(std::current_exception()));
    }
    if (gone_ || (result.recorded && !sendLastChanges(stream, result.recorded->recording.changes)))
        return false;
    hp::Answer done = Simple(hp::Kind::Generated);
    done.generated = result.stats;
    done.withRecording = result.recorded.has_value();
    if (result.recorded)
        done.end = EndOf(*result.recorded);
    return send(done);
}

} // namespace portprov
