// SPDX-License-Identifier: MIT
#include "GuestProcesses.h"

#include <cctype>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace portprov::hardwaretest {

bool BecomeUserWithoutRights() {
    return setgroups(0, nullptr) == 0 &&
           setresgid(kUnprivilegedUser, kUnprivilegedUser, kUnprivilegedUser) == 0 &&
           setresuid(kUnprivilegedUser, kUnprivilegedUser, kUnprivilegedUser) == 0;
}

std::optional<std::string> StatusField(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const std::string prefix = field + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(prefix, 0) != 0) {
            continue;
        }
        std::string value = line.substr(prefix.size());
        const auto first = value.find_first_not_of(" \t");
        return first == std::string::npos ? std::string() : value.substr(first);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> CapabilitySet(pid_t pid, const std::string& field) {
    const auto text = StatusField(pid, field);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    try {
        return std::stoull(*text, nullptr, 16);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::vector<pid_t> ProcessesNamed(const std::string& name, std::optional<pid_t> parent) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return found;
    }
    while (const dirent* entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(std::stol(entry->d_name));
        const auto state = StatusField(pid, "State");
        if (StatusField(pid, "Name") != name || !state || state->rfind('Z', 0) == 0) {
            continue;
        }
        if (!parent || StatusField(pid, "PPid") == std::to_string(*parent)) {
            found.push_back(pid);
        }
    }
    closedir(proc);
    return found;
}

std::optional<int> AwaitChild(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return status;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool AwaitWord(int fd) {
    char word = 0;
    return ::read(fd, &word, 1) == 1;
}

void SendWord(int fd) {
    const char word = 1;
    static_cast<void>(::write(fd, &word, 1));
}

} // namespace portprov::hardwaretest
