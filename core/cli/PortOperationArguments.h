// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace portprov {

// One port operation asked for on the command line, its numbers as typed.
struct PortOperation {
    enum class Kind { Read, Write };
    Kind kind = Kind::Read;
    std::string address;
    std::string value; // only for Write
    bool operator==(const PortOperation&) const = default;
};

// The command line split into its port operations, in the order given, and
// every other argument, for the option parser.
struct PortOperationArguments {
    std::vector<PortOperation> operations;
    std::vector<std::string> others;
    // Set when an operation lacks its address or value: the Swedish message.
    std::optional<std::string> error;
};

// Takes out "--read ADDRESS" and "--write ADDRESS VALUE" (also "--read=ADDRESS"
// and "--write=ADDRESS VALUE"). The numbers are taken as they stand, also one
// that begins with "-" (a negative number is refused later, like in the
// boxes); a missing one, an empty address ("--read=") or an option ("--...")
// in its place is an error.
// Everything after "--" is left to the option parser.
PortOperationArguments TakePortOperations(const std::vector<std::string>& arguments);

// The write a recording makes just before it samples: "--start-write ADDRESS
// VALUE" (or "--start-write=ADDRESS VALUE") taken out of arguments as
// TakePortOperations takes "--write", at most once.
struct StartWriteArguments {
    std::optional<PortOperation> write;
    std::vector<std::string> others;
    std::optional<std::string> error;
};
StartWriteArguments TakeStartWrite(const std::vector<std::string>& arguments);

} // namespace portprov
