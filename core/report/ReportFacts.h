// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace portprov {

// What a report says of the run besides its results, each as a text handed
// in (a file name, a summary line): the page escapes them all.
struct ReportFacts {
    std::chrono::system_clock::time_point when; // the run's start
    std::string version;                        // "Portprov 1.4.0"
    std::string port;                           // "888 (signalen), 889 (inspelad)"
    std::string way;       // how the program reaches the ports, or the simulated PC
    std::string signal;    // the signal's summary line; empty without one
    std::string reference; // the reference's file name; empty for a loopback run
};

} // namespace portprov
