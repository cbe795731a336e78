// SPDX-License-Identifier: MIT
#include "ports/windows/WindowsMessages.h"

namespace portprov::windows_messages {

std::string DriverLibraryDescription(const std::string& name) {
    return "drivrutinsbiblioteket " + name;
}

std::string DriverLibraryMissing(const std::vector<std::string>& names,
                                 const std::string& programFolder,
                                 const std::string& systemFolder) {
    std::string looked;
    std::string either;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const char* joint = i == 0 ? "" : (i + 1 == names.size() ? " och " : ", ");
        looked += joint + names[i];
        either += (i == 0 ? "" : " eller ") + names[i];
    }
    return "Hittade inget drivrutinsbibliotek för portåtkomst.\n"
           "Programmet letade efter " +
           looked + " i programmets mapp (" + programFolder + ") och i Windows systemmapp (" +
           systemFolder +
           "), men aldrig i andra mappar.\n"
           "Installera portdrivrutinen och lägg " +
           either + " i programmets mapp.";
}

std::string DriverLibraryWrongBitness(const std::string& name, int programBits,
                                      const std::string& fitting) {
    const std::string bits = std::to_string(programBits);
    return "Drivrutinsbiblioteket " + name + " passar inte det här " + bits +
           "-bitarsprogrammet (Windows fel 193): biblioteket är byggt för " +
           std::to_string(programBits == 64 ? 32 : 64) +
           "-bitars Windows.\n"
           "Lägg ett " +
           bits + "-bitars drivrutinsbibliotek i programmets mapp: " + fitting + " eller en " +
           bits + "-bitars dlportio.dll.";
}

std::string DriverLibraryEntryMissing(const std::string& name, const std::string& entry) {
    return "Drivrutinsbiblioteket " + name + " saknar funktionen " + entry +
           "; det är en annan eller skadad version.\n"
           "Installera om portdrivrutinen som hör till " +
           name + ".";
}

std::string DriverLibraryFailed(const std::string& name, unsigned long error) {
    return "Drivrutinsbiblioteket " + name + " kunde inte laddas (Windows fel " +
           std::to_string(error) +
           ").\n"
           "Installera om portdrivrutinen som hör till " +
           name + ".";
}

std::string DriverLibraryDriverNotInstalled(const std::string& name) {
    return "Drivrutinsbiblioteket " + name +
           " är laddat, men dess drivrutin är inte installerad: utan den skulle varje läsning "
           "ge 0 och varje skrivning gå förlorad.\n"
           "Biblioteket installerar drivrutinen första gången ett program som körs som "
           "administratör använder det. Högerklicka på portprov.exe, välj "
           "\"Kör som administratör\" och läs en port en gång (knappen "
           "\"Läs från Aktiv Adress\"). Avsluta sedan och starta Portprov som vanligt.";
}

} // namespace portprov::windows_messages
