// SPDX-License-Identifier: MIT
#pragma once

#include "ports/linux/PpdevSystem.h"

#include <cerrno>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <linux/ppdev.h>
#include <sys/ioctl.h>

// Stands in for the kernel's parallel-port driver: answers register reads
// from a table, logs every call, and fails where a test asks it to.
class FakePpdev : public portprov::PpdevSystem {
public:
    struct Call {
        std::string what; // "open", "close", "claim" or the ioctl's name
        int fd = -1;
        int value = -1; // the byte or int passed or answered; -1 when none
        bool operator==(const Call&) const = default;
    };

    // Results of the next opens and claims, first in first out; success when empty.
    std::deque<int> openErrors;  // errno, 0 for success
    std::deque<int> claimErrors; // errno, 0 for success
    // What the register reads answer.
    std::map<unsigned long, unsigned char> registers;
    // Requests that fail with this errno.
    std::map<unsigned long, int> failing;

    std::vector<Call> calls;
    std::vector<std::string> opened;                    // nodes, in order
    std::vector<std::chrono::milliseconds> claimLimits; // as asked, in order
    int openCount = 0;

    int open(const std::string& node) override {
        opened.push_back(node);
        const int error = Next(openErrors);
        if (error != 0) {
            calls.push_back({"open", -1, error});
            return -error;
        }
        const int fd = 100 + openCount++;
        calls.push_back({"open", fd, -1});
        return fd;
    }

    void close(int fd) override {
        claimed.erase(fd);
        calls.push_back({"close", fd, -1});
    }

    int ioctl(int fd, unsigned long request, void* arg) override {
        const std::string name = Name(request);
        if (auto fail = failing.find(request); fail != failing.end()) {
            calls.push_back({name, fd, -1});
            return -fail->second;
        }
        // As the driver: a port not claimed takes no request but the claim.
        if (request != PPEXCL && !claimed.contains(fd)) {
            calls.push_back({name, fd, -1});
            return -EINVAL;
        }
        if (request == PPRELEASE)
            claimed.erase(fd);
        int value = -1;
        if (request == PPDATADIR) {
            value = *static_cast<int*>(arg);
        } else if (request == PPWDATA || request == PPWCONTROL) {
            value = *static_cast<unsigned char*>(arg);
        } else if (request == PPRDATA || request == PPRSTATUS || request == PPRCONTROL) {
            *static_cast<unsigned char*>(arg) = registers[request];
            value = registers[request];
        }
        calls.push_back({name, fd, value});
        return 0;
    }

    int claim(int fd, std::chrono::milliseconds limit) override {
        claimLimits.push_back(limit);
        const int error = Next(claimErrors);
        calls.push_back({"claim", fd, error});
        if (error == 0)
            claimed.insert(fd);
        return -error;
    }

    // Only the calls that open, claim, release and close, by name.
    std::vector<std::string> claimCalls() const {
        std::vector<std::string> result;
        for (const auto& call : calls) {
            if (call.what == "open" || call.what == "close" || call.what == "claim" ||
                call.what == "PPRELEASE" || call.what == "PPEXCL") {
                result.push_back(call.what);
            }
        }
        return result;
    }

    // The calls other than open, close, claim and release.
    std::vector<Call> registerCalls() const {
        std::vector<Call> result;
        for (const auto& call : calls) {
            if (call.what != "open" && call.what != "close" && call.what != "claim" &&
                call.what != "PPEXCL" && call.what != "PPRELEASE") {
                result.push_back(call);
            }
        }
        return result;
    }

private:
    std::set<int> claimed; // the descriptors the port is given to

    static int Next(std::deque<int>& queue) {
        if (queue.empty()) {
            return 0;
        }
        const int value = queue.front();
        queue.pop_front();
        return value;
    }

    static std::string Name(unsigned long request) {
        switch (request) {
        case PPEXCL:
            return "PPEXCL";
        case PPRELEASE:
            return "PPRELEASE";
        case PPRDATA:
            return "PPRDATA";
        case PPWDATA:
            return "PPWDATA";
        case PPRSTATUS:
            return "PPRSTATUS";
        case PPRCONTROL:
            return "PPRCONTROL";
        case PPWCONTROL:
            return "PPWCONTROL";
        case PPDATADIR:
            return "PPDATADIR";
        default:
            return "other";
        }
    }
};
