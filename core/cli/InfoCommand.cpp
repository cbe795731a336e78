// SPDX-License-Identifier: MIT
#include "cli/InfoCommand.h"

#include "cli/PortOperations.h"

#include "ports/PortError.h"
#include "ports/PortInfo.h"
#include "ports/PortModes.h"

namespace portprov {

int RunInfoCommand(std::span<const std::uint16_t> bases,
                   const std::vector<KernelPortAccount>& accounts, std::ostream& out,
                   std::ostream& err) {
    for (const std::uint16_t base : bases) {
        try {
            out << InfoLines(ProbePortModes(base), AccountFor(accounts, base)) << std::flush;
        } catch (const PortError& error) {
            err << error.what() << '\n' << std::flush;
            return 1;
        }
        if (!LinesArrived(out, err))
            return 1;
    }
    return 0;
}

} // namespace portprov
