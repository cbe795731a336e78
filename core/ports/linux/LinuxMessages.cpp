// SPDX-License-Identifier: MIT
#include "ports/linux/LinuxMessages.h"

#include "ports/linux/DevPortFile.h"
#include "ports/linux/KernelLockdown.h"
#include "ports/linux/ProgramPath.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace portprov::linux_messages {

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

} // namespace

std::string PpdevDescription(const std::string& ports) {
    return "kärnans parallellportsdrivrutin (ppdev): " + ports;
}

std::string HelperNotStartedDescription(const std::string& helperPath) {
    return "hjälpprogrammet " + helperPath +
           ", som ensamt bär rätten till portarna och startas vid första åtkomsten";
}

std::string HereAndHelperDescription(const std::string& here, const std::string& helper) {
    return here + "; andra adresser genom " + helper;
}

namespace {

std::string RootOrSetcap(const std::string& helperPath) {
    return "Kör programmet som root, eller ge hjälpprogrammet portprov-io rätten med " +
           SetcapCommand(helperPath) + ".";
}

} // namespace

std::string NotPermitted(const std::string& helperPath, bool pkexecAsked) {
    // The rights belong on the small helper alone, never on the window: the
    // toolkit takes plugins, fonts and styles from the user's environment.
    return "Programmet har inte behörighet att nå I/O-portarna. Rätten ges till "
           "hjälpprogrammet portprov-io, som når portarna åt Portprov, aldrig till "
           "portprov självt.\n"
           "Gör något av följande:\n"
           "• ge hjälpprogrammet rätten en gång för alla: " +
           SetcapCommand(helperPath) +
           " (vill du begränsa vem som får använda det, ge det först en egen grupp och "
           "läget 0750: en ändrad grupp tar bort rätten),\n" +
           std::string(pkexecAsked
                           ? "• försök igen och ge administratörens lösenord när pkexec frågar "
                             "efter det (Portprovs polkit-regel är installerad, men pkexec "
                             "startade inte hjälpprogrammet den här gången),\n"
                           : "• installera Portprovs Debianpaket, vars polkit-regel låter pkexec "
                             "starta hjälpprogrammet efter administratörens lösenord,\n") +
           "• kör programmet som root (med sudo),\n"
           "• eller, för parallellportarna, gå med i gruppen lp: " +
           kJoinLpGroup +
           "; då nås de genom kärnans parallellportsdrivrutin (ppdev), som laddas med " +
           kLoadPpdev + ".";
}

std::string OwnPathUnknown() {
    return "Portprov kunde inte läsa sin egen sökväg (/proc/self/exe; är /proc monterad?), så "
           "hjälpprogrammet portprov-io startades inte: det startas bara ur Portprovs egen mapp, "
           "aldrig ur arbetsmappen.\n";
}

std::string Lockdown(const std::string& mode) {
    return "Kärnan är låst (kernel lockdown i läget \"" + mode +
           "\", oftast för att datorn startats med Secure Boot). Då förbjuds direkt "
           "portåtkomst, även för root (se " +
           kLockdownFile + ").\n" + PpdevWay("ändå ") +
           "\n"
           "Andra portar går bara att nå om Secure Boot stängs av i datorns inställningar.";
}

std::string DevPortMissing(const std::string& path) {
    return "Enheten " + path + " finns inte: kärnan är byggd utan den (CONFIG_DEVPORT).\n" +
           PpdevWay("") + "\nAndra portar kräver en kärna byggd med " + path + ".";
}

std::string NoDevPort() {
    return "Direkt portåtkomst (ioperm/iopl) går inte att få på den här datorn.\n" +
           DevPortMissing(kDevPortPath);
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
        return DevPortMissing(path);
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
           "en äldre version av det här programmet).\n"
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

std::string PortInUseByTest(std::uint16_t first, std::uint16_t last, int waitedSeconds) {
    const std::string waited = waitedSeconds > 0 ? " och släppte dem inte inom " +
                                                       std::to_string(waitedSeconds) + " sekunder"
                                                 : "";
    return "Portarna " + std::to_string(first) + "-" + std::to_string(last) +
           " är upptagna: ett annat program (till exempel Portprov, startat en gång till) kör "
           "ett test på dem" +
           waited +
           ".\n"
           "Vänta tills testet är klart, eller stäng det andra programmet, och försök igen.";
}

namespace {

// What every lock file message ends with: why nothing started.
constexpr const char* kWithoutLockFile =
    "\nMed låsfilen håller Portprov andra program borta från porten medan det gör flera "
    "åtkomster i följd (slingtest, undersökning, inspelning, testrad, klick på ett stift); "
    "utan den görs inget sådant. Enstaka läsningar och skrivningar går som vanligt.";

std::string RemoveAndRetry(const std::string& command) {
    return "Ta bort den (" + command + ") och försök igen.";
}

} // namespace

std::string LockFileIsLink(const std::string& path) {
    return "Låsfilen " + path + " är en symbolisk länk, inte en vanlig fil. " +
           RemoveAndRetry("sudo rm " + path) + kWithoutLockFile;
}

std::string LockFileNotAFile(const std::string& path, unsigned fileType) {
    std::string what;
    if (fileType == S_IFDIR)
        what = "en mapp, ";
    else if (fileType == S_IFIFO)
        what = "en namngiven rörledning (FIFO), ";
    else if (fileType == S_IFCHR || fileType == S_IFBLK)
        what = "en enhetsfil, ";
    else if (fileType == S_IFSOCK)
        what = "en uttagsfil (socket), ";
    const std::string command = (fileType == S_IFDIR ? "sudo rmdir " : "sudo rm ") + path;
    return "Låsfilen " + path + " är " + what + "inte en vanlig fil. " + RemoveAndRetry(command) +
           kWithoutLockFile;
}

std::string LockFileUnreadable(const std::string& path) {
    return "Låsfilen " + path +
           " får inte läsas med den här användarens behörighet (en annan användare har "
           "skapat den utan läsrätt för andra). " +
           RemoveAndRetry("sudo rm " + path) + kWithoutLockFile;
}

std::string LockFileFailed(const std::string& path, int error) {
    // Where only root may create files in the folder (as in /run/lock on some
    // systems), root makes the file once for all users; the folder is
    // emptied at each start of the computer.
    return "Låsfilen " + path + " kunde inte öppnas eller skapas (" + ErrorText(error) +
           "). Skapa den som root med sudo install -m 644 /dev/null " + path +
           " och försök igen (efter en omstart av datorn kan det behövas igen)." + kWithoutLockFile;
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
           "Andra adresser kräver direkt portåtkomst: kör programmet som root, eller ge "
           "hjälpprogrammet portprov-io rätten med " +
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

std::string ErrorText(int error) {
    return std::strerror(error);
}

} // namespace portprov::linux_messages
