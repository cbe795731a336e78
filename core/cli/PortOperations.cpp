// SPDX-License-Identifier: MIT
#include "cli/PortOperations.h"

#include "cli/ReadReport.h"
#include "input/CommandInputs.h"
#include "ports/PortBackend.h"
#include "ports/PortIo.h"

#include <string>

namespace portprov {

namespace {

// Runs one operation; its refusal, or "" when it ran.
std::string Run(const PortOperation& operation, std::span<const std::uint16_t> parallelBases,
                const NumberFormat& format, std::ostream& out, std::ostream& err) {
    if (operation.kind == PortOperation::Kind::Read) {
        const AddressInput address = CheckAddress(operation.address, Rounding::HalfEven, format);
        if (!address.accepted)
            return address.refusal;
        const std::uint8_t byte = DlPortReadPortUchar(address.port);
        out << ReadReport(address.port, byte, parallelBases) << '\n' << std::flush;
        return {};
    }
    const WriteInput write = CheckWrite(operation.value, operation.address, format);
    if (!write.accepted)
        return write.refusal;
    if (write.value.aboveRange)
        err << operation.value << " är större än 255: 255 skrivs till " << write.port << ".\n"
            << std::flush;
    DlPortWritePortUchar(write.port, write.value.value);
    return {};
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
    for (const PortOperation& operation : operations) {
        try {
            const std::string refusal = Run(operation, parallelBases, format, out, err);
            if (!refusal.empty()) {
                err << refusal << '\n' << std::flush;
                return 1;
            }
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
