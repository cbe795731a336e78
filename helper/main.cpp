// SPDX-License-Identifier: MIT
// portprov-io: the one program of Portprov that may hold port rights (the
// capability CAP_SYS_RAWIO, given with setcap, through pkexec, or as root).
// It links no toolkit and reads no file its caller names; it serves one
// window over the socket pair on its standard input and output, checks
// every request, and ends when the window closes its end.
#include "helper/Confinement.h"
#include "ports/PortIo.h"
#include "ports/linux/LinuxPorts.h"
#include "ports/simulated/SimulatedPc.h"
#include "remote/HelperServer.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void Say(const char* text) {
    const ssize_t written = ::write(2, text, std::strlen(text));
    static_cast<void>(written);
}

} // namespace

int main(int argc, char** argv) {
    namespace helper = portprov::helper;
    helper::CloseInheritedDescriptors();
    const long pkexecUser = helper::TakeEnvironment();
    if (!helper::KeepOnlyPortRights(pkexecUser)) {
        Say("portprov-io: rättigheterna kunde inte begränsas till portåtkomst; avbryter.\n");
        return 1;
    }
    helper::SetUpSignals();
    const bool simulate = argc == 2 && std::strcmp(argv[1], "--simulate") == 0;
    if ((argc != 1 && !simulate) || !helper::StartedByPortprov()) {
        Say("portprov-io når portarna åt Portprov och startas av portprov, inte för hand.\n");
        return 2;
    }

    if (simulate) {
        portprov::SelectPortBackend([] { return std::make_unique<portprov::SimulatedPc>(); });
    } else {
        portprov::SelectPortBackend([] {
            return portprov::OpenLinuxPorts(portprov::LinuxSystemProbes(),
                                            portprov::WayTaker::Helper);
        });
    }
    portprov::HelperServer server(0, 1);
    return server.serve() ? 0 : 1;
}
