// SPDX-License-Identifier: MIT
#include "cli/RunReport.h"

#include "process/DeferredTerminationSignals.h"
#include "recording/WholeFile.h"

namespace portprov {

bool SaveRunReport(const SaveTarget& target, const std::string& html, std::ostream& err) {
    try {
        const DeferredTerminationSignals::Interrupting interrupting;
        SaveWholeFile(
            target, [&html](std::ostream& file) { file << html; },
            [&interrupting] { return interrupting.arrived(); });
        return true;
    } catch (const FileSaveError& error) {
        err << error.what() << '\n' << std::flush;
        return false;
    }
}

} // namespace portprov
