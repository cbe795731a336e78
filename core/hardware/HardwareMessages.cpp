// SPDX-License-Identifier: MIT
#include "hardware/HardwareMessages.h"

namespace portprov::hardware_messages {

std::string NoHardwareBackend() {
    return "Riktiga portar kan bara nås på Linux och Windows.\n"
           "Starta programmet med --simulate för att prova det på den simulerade datorn.";
}

std::string AccessPathInUse(const std::string& description) {
    return "Portåtkomst på den här datorn: " + description + ".";
}

std::string NoAccessPath(const std::string& message) {
    return "Ingen portåtkomst på den här datorn. " + message;
}

} // namespace portprov::hardware_messages
