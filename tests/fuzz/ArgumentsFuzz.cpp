// SPDX-License-Identifier: MIT
// Fuzz target for the text that reaches the program from outside the window:
// the command line's port operations and the kernel's base-addr of a port.
//
// The first byte of each input picks the parser; the rest is its text, for
// the command line split at each NUL into arguments. A reading of its own
// (below) decides what the parser must give.

#include "cli/PortOperationArguments.h"
#include "ports/linux/ParallelPortDiscovery.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace portprov;

namespace {

// libFuzzer shows and keeps the input.
[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "wrong result of %s\n", what);
    std::abort();
}

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// base-addr: after blanks, decimal digits that end the text or a blank, their
// value from 256 to 65533 (the motherboard's devices lie below, and the three
// registers must fit below 65536).
void CheckBaseAddress(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && Blank(text[i]))
        ++i;
    const std::size_t digits = i;
    unsigned long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + static_cast<unsigned long>(text[i] - '0'), 1'000'000ul);
    const bool base =
        i > digits && (i == text.size() || Blank(text[i])) && value >= 256 && value <= 65533;
    const std::optional<std::uint16_t> parsed = ParseBaseAddress(text);
    if (parsed.has_value() != base || (base && *parsed != value))
        Fail("ParseBaseAddress");
}

// The command line: each "--read", "--read=A", "--write" or "--write=A" before
// a lone "--" is one operation, in order, that takes the arguments its
// numbers need (no address empty, no value an option); the rest are left
// over. Operations written back as arguments read the same.
void CheckArguments(std::string_view text) {
    std::vector<std::string> arguments{"portprov", ""};
    for (const char c : text)
        c == '\0' ? arguments.push_back({}) : arguments.back().push_back(c);
    const PortOperationArguments split = TakePortOperations(arguments);
    std::vector<PortOperation::Kind> kinds;
    std::size_t taken = 0;
    for (const std::string& argument : arguments) {
        if (argument == "--")
            break;
        const bool read =
            argument.rfind("--read", 0) == 0 && (argument.size() == 6 || argument[6] == '=');
        const bool write =
            argument.rfind("--write", 0) == 0 && (argument.size() == 7 || argument[7] == '=');
        if (read || write) {
            kinds.push_back(read ? PortOperation::Kind::Read : PortOperation::Kind::Write);
            taken += 1 + (argument.find('=') == std::string::npos ? 1 : 0) + (write ? 1 : 0);
        }
    }
    if (split.error) {
        if (kinds.empty() || split.error->rfind("--", 0) != 0)
            Fail("TakePortOperations");
        return;
    }
    if (split.operations.size() != kinds.size() || split.others.size() + taken != arguments.size())
        Fail("TakePortOperations");
    std::vector<std::string> written{"portprov"};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const PortOperation& operation = split.operations[i];
        const bool write = operation.kind == PortOperation::Kind::Write;
        if (operation.kind != kinds[i] || operation.address.empty() ||
            (write && operation.value.rfind("--", 0) == 0) || (!write && !operation.value.empty()))
            Fail("TakePortOperations");
        written.push_back((write ? "--write=" : "--read=") + operation.address);
        if (write)
            written.push_back(operation.value);
    }
    const PortOperationArguments again = TakePortOperations(written);
    if (again.error || again.operations != split.operations || again.others.size() != 1)
        Fail("TakePortOperations");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0)
        CheckArguments(text);
    else
        CheckBaseAddress(text);
    return 0;
}
