// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace portprov::hardwaretest {

// Prints one line per check of the guest test and counts the failures, so
// that every check runs and the summary shows all that went wrong.
class CheckLog {
public:
    void expectEqual(std::string_view what, unsigned expected, unsigned actual) {
        if (expected == actual) {
            pass(std::string(what) + ": " + std::to_string(actual));
        } else {
            fail(std::string(what) + ": expected " + std::to_string(expected) + ", got " +
                 std::to_string(actual));
        }
    }

    void expectTrue(std::string_view what, bool ok, std::string_view detail = {}) {
        std::string line(what);
        if (!detail.empty()) {
            line += ": ";
            line += detail;
        }
        if (ok) {
            pass(line);
        } else {
            fail(line);
        }
    }

    void pass(std::string_view line) {
        ++checks_;
        std::printf("  ok    %.*s\n", static_cast<int>(line.size()), line.data());
        std::fflush(stdout);
    }

    void fail(std::string_view line) {
        ++checks_;
        ++failures_;
        std::printf("  FAIL  %.*s\n", static_cast<int>(line.size()), line.data());
        std::fflush(stdout);
    }

    void note(std::string_view line) {
        std::printf("        %.*s\n", static_cast<int>(line.size()), line.data());
        std::fflush(stdout);
    }

    int failures() const { return failures_; }

    // Prints the summary and gives the process exit status.
    int finish(std::string_view title) const {
        std::printf("%.*s: %d checks, %d failed\n", static_cast<int>(title.size()), title.data(),
                    checks_, failures_);
        std::fflush(stdout);
        return failures_ == 0 ? 0 : 1;
    }

private:
    int checks_ = 0;
    int failures_ = 0;
};

} // namespace portprov::hardwaretest
