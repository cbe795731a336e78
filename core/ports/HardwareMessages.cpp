// SPDX-License-Identifier: MIT
#include "ports/HardwareMessages.h"

#include "ports/linux/KernelLockdown.h"

#include <array>
#include <cerrno>
#include <cstring>

#ifdef __linux__
#include <unistd.h>
#endif

namespace portprov::hardware_messages {

namespace {

// The commands the messages suggest, written once.
constexpr const char* kJoinLpGroup = "sudo usermod -aG lp $USER (logga sedan ut och in igen)";
constexpr const char* kLoadPpdev = "sudo modprobe -a parport_pc ppdev";

// The way to the parallel ports through ppdev; how: "", "ändå " or "också ".
std::string PpdevWay(const std::string& how) {
    return "Parallellportarna nås " + how +
           "genom kärnans parallellportsdrivrutin (ppdev): ladda den med " + kLoadPpdev +
           " och gå med i gruppen lp: " + kJoinLpGroup + ".";
}

// Characters a shell takes literally outside quotes.
bool IsShellSafe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("/._-+,:@%", c) != nullptr;
}

std::string ShellQuoted(const std::string& text) {
    bool safe = !text.empty();
    for (char c : text) {
        safe = safe && IsShellSafe(c);
    }
    if (safe) {
        return text;
    }
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

} // namespace

std::string PpdevDescription(const std::string& ports) {
    return "kärnans parallellportsdrivrutin (ppdev): " + ports;
}

std::string OwnProgramPath() {
#ifdef __linux__
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length > 0) {
        return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
#endif
    return "<sökvägen till portprov>";
}

std::string SetcapCommand(const std::string& programPath) {
    return "sudo setcap cap_sys_rawio+ep " + ShellQuoted(programPath);
}

namespace {

std::string RootOrSetcap(const std::string& programPath) {
    return "Kör programmet som root, eller ge det rätten med " + SetcapCommand(programPath) + ".";
}

} // namespace

std::string NotPermitted(const std::string& programPath) {
    return "Programmet har inte behörighet att nå I/O-portarna.\n"
           "Gör något av följande:\n"
           "• kör programmet som root (med sudo),\n"
           "• ge programmet rätten en gång för alla: " +
           SetcapCommand(programPath) +
           ",\n"
           "• eller, för parallellportarna, gå med i gruppen lp: " +
           kJoinLpGroup +
           "; då nås de genom kärnans parallellportsdrivrutin (ppdev), som laddas med " +
           kLoadPpdev + ".";
}

std::string Lockdown(const std::string& mode) {
    return "Kärnan är låst (kernel lockdown i läget \"" + mode +
           "\", oftast för att datorn startats med Secure Boot). Då förbjuds direkt "
           "portåtkomst, även för root (se " +
           kLockdownFile + ").\n" + PpdevWay("ändå ") +
           "\n"
           "Andra portar går bara att nå om Secure Boot stängs av i datorns inställningar.";
}

std::string NoDevPort() {
    return "Enheten /dev/port finns inte på den här datorn, och direkt portåtkomst "
           "(ioperm/iopl) går inte att få här.\n" +
           PpdevWay("") +
           "\n"
           "Andra portar kräver en kärna byggd med /dev/port (CONFIG_DEVPORT).";
}

std::string RawAccessFailed(const std::string& ioperm, const std::string& devPort,
                            const std::string& programPath) {
    return "I/O-portarna kunde inte nås (ioperm: " + ioperm + "; /dev/port: " + devPort + ").\n" +
           RootOrSetcap(programPath);
}

std::string NoWayToPorts(const std::string& ioperm, const std::string& devPort,
                         const std::string& programPath) {
    return RawAccessFailed(ioperm, devPort, programPath) + "\n" + PpdevWay("också ");
}

std::string RawAccessUnavailable() {
    return "Direkt portåtkomst finns inte på den här processorn: I/O-portar och deras "
           "instruktioner finns bara på PC-processorer (x86).\n"
           "Använd /dev/port eller kärnans parallellportsdrivrutin (ppdev) i stället.";
}

std::string DevPortOpenFailed(const std::string& path, int error, const std::string& programPath) {
    if (error == ENOENT) {
        return "Enheten " + path +
               " finns inte.\n"
               "Kärnan är byggd utan den (CONFIG_DEVPORT); använd direkt portåtkomst eller "
               "kärnans parallellportsdrivrutin (ppdev) i stället.";
    }
    if (error == EACCES || error == EPERM) {
        return "Programmet har inte behörighet att öppna " + path + ".\n" +
               RootOrSetcap(programPath);
    }
    return "Enheten " + path + " kunde inte öppnas (" + ErrorText(error) +
           ").\n"
           "Kör programmet som root och försök igen.";
}

std::string DevPortAccessFailed(const std::string& path, bool writing, std::uint16_t port,
                                const std::string& reason) {
    return std::string(writing ? "Skrivningen till" : "Läsningen av") + " port " +
           std::to_string(port) + " genom " + path + " misslyckades (" + reason +
           ").\n"
           "Kontrollera att kärnan ger programmet åtkomst till porten och försök igen.";
}

std::string PpdevNodeDenied(const std::string& node) {
    return "Programmet har inte behörighet att öppna " + node +
           ".\n"
           "Gå med i gruppen lp: " +
           kJoinLpGroup + ", eller kör programmet som root.";
}

std::string PpdevNodeMissing(const std::string& node) {
    return "Enheten " + node +
           " finns inte: kärnans parallellportsdrivrutin (ppdev) är inte laddad.\n"
           "Ladda den med " +
           kLoadPpdev + ".";
}

std::string PpdevBusy(const std::string& node, int seconds) {
    return "Parallellporten " + node +
           " är upptagen: den används av en annan drivrutin eller ett annat program (till exempel "
           "skrivardrivrutinen lp under en utskrift) och släpptes inte inom " +
           std::to_string(seconds) +
           " sekunder.\n"
           "Vänta tills utskriften är klar eller stäng det andra programmet och försök igen. "
           "Skrivardrivrutinen kan tas bort med sudo rmmod lp.";
}

std::string PpdevHeldExclusively(const std::string& node) {
    return "Parallellporten " + node +
           " är upptagen: ett annat program har tagit den för sig själv (till exempel "
           "det här programmet, startat en gång till).\n"
           "Stäng det andra programmet och försök igen. Finns inget sådant program har kärnan "
           "tappat porten: ladda drivrutinerna igen med " +
           std::string(kLoadPpdev) + ".";
}

std::string PpdevFailed(const std::string& node, const std::string& request, int error) {
    return "Kärnans parallellportsdrivrutin svarade med ett fel på " + node + " (" + request +
           ": " + ErrorText(error) +
           ").\n"
           "Försök igen. Kvarstår felet, avsluta programmet (det håller drivrutinen i bruk), "
           "ladda om drivrutinen med sudo modprobe -r ppdev && " +
           kLoadPpdev + " och starta programmet igen.";
}

namespace {

std::string NotCoveredByPpdev(std::uint16_t port, const std::string& coverage) {
    return "Adress " + std::to_string(port) +
           " nås inte genom kärnans parallellportsdrivrutin (ppdev); den når bara "
           "parallellportarnas register " +
           (coverage.empty() ? std::string("(inga portar hittades)") : coverage) + ".\n";
}

} // namespace

std::string PpdevNotCovered(std::uint16_t port, const std::string& coverage,
                            const std::string& programPath) {
    return NotCoveredByPpdev(port, coverage) +
           "Andra adresser kräver direkt portåtkomst: kör programmet som root, eller ge det "
           "rätten med " +
           SetcapCommand(programPath) + ".";
}

std::string PpdevNotCoveredLocked(std::uint16_t port, const std::string& coverage,
                                  const std::string& mode) {
    return NotCoveredByPpdev(port, coverage) +
           "Andra adresser kräver direkt portåtkomst, och den förbjuds medan kärnan är låst "
           "(kernel lockdown i läget \"" +
           mode + "\", se " + kLockdownFile +
           "), även för root.\n"
           "De går bara att nå om Secure Boot stängs av i datorns inställningar.";
}

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

std::string ErrorText(int error) {
    return std::strerror(error);
}

} // namespace portprov::hardware_messages
