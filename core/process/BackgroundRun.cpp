// SPDX-License-Identifier: MIT
#include "process/BackgroundRun.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace portprov {

BackgroundRun::~BackgroundRun() {
    stop();
    if (thread_.joinable())
        thread_.join();
}

void BackgroundRun::checkNotStarted() const {
    if (thread_.joinable() || finished_.load())
        throw std::logic_error(std::string(owner_) + ": runs once");
}

void BackgroundRun::start(std::function<void()> body, std::function<void()> ending) {
    checkNotStarted();
    thread_ = std::thread([this, body = std::move(body), ending = std::move(ending)] {
        try {
            body();
        } catch (...) {
            failure_ = std::current_exception();
        }
        if (ending)
            ending();
        finished_.store(true);
    });
}

void BackgroundRun::wait() {
    if (!thread_.joinable() && !finished_.load())
        throw std::logic_error(std::string(owner_) + ": never started");
    if (thread_.joinable())
        thread_.join();
    if (failure_)
        std::rethrow_exception(failure_);
}

} // namespace portprov
