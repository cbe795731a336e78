// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace portprov {

// The life of a run on a thread of its own, as the recorder and the signal
// generator have it: started once, asked to stop from any thread, its
// progress read from any thread, waited for once it is over. What the run
// throws is kept and thrown again from wait(), on the waiting thread.
class BackgroundRun {
public:
    // Names the owner in the programming errors start() and wait() throw.
    explicit BackgroundRun(const char* owner) : owner_(owner) {}
    // Stops a run still going and waits for its thread.
    ~BackgroundRun();
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // Throws std::logic_error once a run has been started.
    void checkNotStarted() const;
    // Runs body on a new thread, then ending, which must not throw, whether
    // body ended or threw; finished() is true after both. Throws
    // std::logic_error when started before, and what starting a thread
    // throws.
    void start(std::function<void()> body, std::function<void()> ending = {});
    void stop() noexcept { stopRequested_.store(true); }
    // How much of the run is done, 0 to 1.
    double progress() const noexcept { return progress_.load(std::memory_order_relaxed); }
    bool finished() const noexcept { return finished_.load(); }
    // Waits for the end. Rethrows what ended the run; std::logic_error when
    // it was never started.
    void wait();

    // What the run's loops watch and count.
    std::atomic<bool>& stopRequested() noexcept { return stopRequested_; }
    std::atomic<double>& progressShare() noexcept { return progress_; }

private:
    const char* owner_;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> finished_{false};
    std::atomic<double> progress_{0.0};
    std::exception_ptr failure_;
};

} // namespace portprov
