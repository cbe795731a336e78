// SPDX-License-Identifier: MIT
// /usr/bin/pkexec in the emulated PC, setuid root, which has no polkit:
// writes its arguments, one a line, to the record the checks read
// (PkexecCheck.h), and runs them as root with nothing in the environment
// but PKEXEC_UID, the calling user, as pkexec does once polkit says yes.
#include "PkexecCheck.h"

#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const uid_t caller = getuid();
    if (std::FILE* record = std::fopen(portprov::hardwaretest::kPkexecRecord, "w")) {
        for (int i = 1; i < argc; ++i)
            std::fprintf(record, "%s\n", argv[i]);
        std::fclose(record);
    }
    std::string user = "PKEXEC_UID=" + std::to_string(caller);
    char* environment[] = {user.data(), nullptr};
    if (argc < 2 || setresgid(0, 0, 0) != 0 || setresuid(0, 0, 0) != 0)
        return 127;
    execve(argv[1], argv + 1, environment);
    return 127;
}
