// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace portprov {

// The calls the ppdev backend makes to the kernel, behind an interface so
// tests can stand in for the kernel's parallel-port driver. Results are 0 or
// a descriptor on success, and minus the errno on failure.
class PpdevSystem {
public:
    virtual ~PpdevSystem() = default;

    // open(2) of a /dev/parportN node, read-write.
    virtual int open(const std::string& node) = 0;
    virtual void close(int fd) = 0;
    // ioctl(2). arg points to the request's argument: unsigned char for the
    // register requests, int for PPDATADIR, nothing for PPEXCL.
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    // ioctl(PPCLAIM), giving up with -ETIMEDOUT when another driver or program
    // holds the port longer than limit (the kernel itself would wait forever).
    virtual int claim(int fd, std::chrono::milliseconds limit) = 0;
};

// The real kernel.
std::shared_ptr<PpdevSystem> KernelPpdev();

} // namespace portprov
