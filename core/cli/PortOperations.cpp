// SPDX-License-Identifier: MIT
#include "cli/PortOperations.h"

#include "cli/ReadReport.h"
#include "input/CommandInputs.h"
#include "ports/PortBackend.h"
#include "ports/PortIo.h"

#include <string>

namespace portprov {

namespace {

constexpr int kBadCommandLine = 2;

// An operation with its numbers read.
struct CheckedOperation {
    const PortOperation* asked = nullptr;
    std::uint16_t port = 0;
    std::uint8_t value = 0;
    bool aboveRange = false;
};

// Reads the operation's numbers into checked; the refusal, or "" when they
// are accepted.
std::string CheckNumbers(const PortOperation& operation, const NumberFormat& format,
                         CheckedOperation& checked) {
    checked.asked = &operation;
    if (operation.kind == PortOperation::Kind::Read) {
        const AddressInput address = CheckAddress(operation.address, Rounding::HalfEven, format);
        checked.port = address.port;
        return address.accepted ? std::string() : address.refusal;
    }
    const WriteInput write = CheckWrite(operation.value, operation.address, format);
    checked.port = write.port;
    checked.value = write.value.value;
    checked.aboveRange = write.value.aboveRange;
    return write.accepted ? std::string() : write.refusal;
}

void Run(const CheckedOperation& operation, std::span<const std::uint16_t> parallelBases,
         std::ostream& out, std::ostream& err) {
    if (operation.asked->kind == PortOperation::Kind::Read) {
        const std::uint8_t byte = DlPortReadPortUchar(operation.port);
        out << ReadReport(operation.port, byte, parallelBases) << '\n' << std::flush;
        return;
    }
    if (operation.aboveRange)
        err << operation.asked->value << " är större än 255: 255 skrivs till " << operation.port
            << ".\n"
            << std::flush;
    DlPortWritePortUchar(operation.port, operation.value);
}

} // namespace

bool LinesArrived(std::ostream& out, std::ostream& err) {
    if (!out)
        err << "Resultatet kunde inte skrivas ut.\n" << std::flush;
    return out && err;
}

int RunPortOperations(const std::vector<PortOperation>& operations,
                      std::span<const std::uint16_t> parallelBases, const NumberFormat& format,
                      std::ostream& out, std::ostream& err) {
    // Every number first: a command line with a bad one does nothing at all.
    std::vector<CheckedOperation> checked(operations.size());
    for (std::size_t i = 0; i < operations.size(); ++i) {
        if (const std::string refusal = CheckNumbers(operations[i], format, checked[i]);
            !refusal.empty()) {
            err << refusal << '\n' << std::flush;
            return kBadCommandLine;
        }
    }
    for (const CheckedOperation& operation : checked) {
        try {
            Run(operation, parallelBases, out, err);
            if (!LinesArrived(out, err))
                return 1;
        } catch (const PortError& error) {
            err << error.what() << '\n' << std::flush;
            return 1;
        }
    }
    return 0;
}

} // namespace portprov
