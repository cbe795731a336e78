// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// The texts the Windows backend shows the user about the port driver's
// library. Each names the cause and what to do.
namespace portprov::windows_messages {

// The Windows port driver library: "drivrutinsbiblioteket <name>".
std::string DriverLibraryDescription(const std::string& name);
// None of names in the program's folder or the system folder.
std::string DriverLibraryMissing(const std::vector<std::string>& names,
                                 const std::string& programFolder, const std::string& systemFolder);
// name is there but not of this program's bitness (Windows error 193);
// fitting is the library that fits.
std::string DriverLibraryWrongBitness(const std::string& name, int programBits,
                                      const std::string& fitting);
// name lacks the entry point entry.
std::string DriverLibraryEntryMissing(const std::string& name, const std::string& entry);
// name could not be loaded for another reason (Windows error code).
std::string DriverLibraryFailed(const std::string& name, unsigned long error);
// name is loaded but says its kernel driver is not installed, so every port
// would read 0 and every write be lost.
std::string DriverLibraryDriverNotInstalled(const std::string& name);

} // namespace portprov::windows_messages
