// SPDX-License-Identifier: MIT
#include "cli/PortOperationArguments.h"

#include <cstddef>
#include <string_view>

namespace portprov {

namespace {

constexpr std::string_view kRead = "--read";
constexpr std::string_view kWrite = "--write";
constexpr std::string_view kStartWrite = "--start-write";

// "--read" or "--read=..." for name "--read"; the text after "=" if any.
std::optional<std::optional<std::string>> Matches(std::string_view argument,
                                                  std::string_view name) {
    if (argument == name)
        return std::optional<std::string>();
    if (argument.size() > name.size() && argument.substr(0, name.size()) == name &&
        argument[name.size()] == '=') {
        return std::optional<std::string>(std::string(argument.substr(name.size() + 1)));
    }
    return std::nullopt;
}

bool IsOption(const std::string& argument) {
    return argument.size() >= 2 && argument[0] == '-' && argument[1] == '-';
}

// The argument after i as a number of an operation, if there is one (not an
// option); i moves on to it.
std::optional<std::string> NextValue(const std::vector<std::string>& arguments, std::size_t& i) {
    if (i + 1 >= arguments.size() || IsOption(arguments[i + 1]))
        return std::nullopt;
    return arguments[++i];
}

} // namespace

PortOperationArguments TakePortOperations(const std::vector<std::string>& arguments) {
    PortOperationArguments result;
    const std::size_t count = arguments.size();
    const auto next = [&](std::size_t& i) { return NextValue(arguments, i); };
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            result.others.insert(result.others.end(), arguments.begin() + static_cast<long>(i),
                                 arguments.end());
            break;
        }
        if (const auto read = Matches(argument, kRead)) {
            const std::optional<std::string> address = *read ? *read : next(i);
            if (!address || address->empty()) {
                result.error = "--read saknar adress: skriv --read ADRESS";
                return result;
            }
            result.operations.push_back({PortOperation::Kind::Read, *address, {}});
        } else if (const auto write = Matches(argument, kWrite)) {
            const std::optional<std::string> address = *write ? *write : next(i);
            const std::optional<std::string> value = address ? next(i) : std::nullopt;
            if (!address || address->empty() || !value) {
                result.error = "--write saknar adress eller värde: skriv --write ADRESS VÄRDE";
                return result;
            }
            result.operations.push_back({PortOperation::Kind::Write, *address, *value});
        } else {
            result.others.push_back(argument);
        }
    }
    return result;
}

StartWriteArguments TakeStartWrite(const std::vector<std::string>& arguments) {
    StartWriteArguments result;
    const std::size_t count = arguments.size();
    const auto next = [&](std::size_t& i) { return NextValue(arguments, i); };
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            result.others.insert(result.others.end(), arguments.begin() + static_cast<long>(i),
                                 arguments.end());
            break;
        }
        const auto write = Matches(argument, kStartWrite);
        if (!write) {
            result.others.push_back(argument);
            continue;
        }
        const std::optional<std::string> address = *write ? *write : next(i);
        const std::optional<std::string> value = address ? next(i) : std::nullopt;
        if (!address || address->empty() || !value || result.write) {
            result.error = "--start-write tar en adress och ett värde, en gång: skriv "
                           "--start-write ADRESS VÄRDE";
            return result;
        }
        result.write = PortOperation{PortOperation::Kind::Write, *address, *value};
    }
    return result;
}

} // namespace portprov
