// SPDX-License-Identifier: MIT
#pragma once

#include "cli/RunReport.h"
#include "report/ReportFacts.h"

#include <filesystem>
#include <string>

namespace portprov {

// --report FILE for a command: its pages made from these facts, with the
// run's port and signal as the command tells them.
RunReport ReportTo(std::string path, ReportFacts facts);

// Saves a report's page at path whole or not at all (SaveWholeFile); throws
// FileSaveError with the Swedish message when it cannot.
void SaveReport(const std::filesystem::path& path, const std::string& html);

} // namespace portprov
