#pragma once

#include "ReadMeLaunch.h"

// Starts the programs the window asks for, without waiting for them. Tests
// put a recording starter in its place.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // True when the program (or the registered program) was started.
    virtual bool start(const LaunchAttempt& attempt) = 0;
};

// Starts real processes, detached from this program.
class SystemProgramStarter : public ProgramStarter {
public:
    bool start(const LaunchAttempt& attempt) override;
};
