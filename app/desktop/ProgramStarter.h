// SPDX-License-Identifier: MIT
#pragma once

#include "desktop/ReadMeLaunch.h"

#include <functional>

// Starts the programs the window asks for, without waiting for them. Tests
// put a recording starter in its place.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // True when the program (or the registered program) was started.
    virtual bool start(const LaunchAttempt& attempt) = 0;
};

// Starts real processes, detached from this program. An opener is watched
// instead: when it ends saying that no viewer opened the document,
// openerFailed runs (later, from the event loop) with the attempt and the
// opener's exit status (-1 when it crashed).
class SystemProgramStarter : public ProgramStarter {
public:
    using OpenerFailed = std::function<void(const LaunchAttempt& attempt, int exitStatus)>;

    explicit SystemProgramStarter(OpenerFailed openerFailed = {});
    bool start(const LaunchAttempt& attempt) override;

private:
    OpenerFailed openerFailed_;
};
