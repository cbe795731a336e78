// SPDX-License-Identifier: MIT
#include "ports/linux/LinuxPorts.h"
#include "hardware/HardwarePorts.h"
#include "remote/PortsWithHelper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>

using portprov::LinuxAccessProbes;
using portprov::OpenLinuxPorts;
using portprov::ParallelPortNode;
using portprov::PortBackend;
using portprov::PortError;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

// A backend that only tells which one it is.
class Named : public PortBackend {
public:
    explicit Named(std::string name) : name_(std::move(name)) {}
    std::uint8_t read(std::uint16_t) override { return 0; }
    void write(std::uint16_t, std::uint8_t) override {}
    std::string describe() const override { return name_; }

private:
    std::string name_;
};

const ParallelPortNode kLpt1{0, 888, "/dev/parport0"};
const ParallelPortNode kLpt2{1, 632, "/dev/parport1"};

// A machine where nothing is permitted, until a test says otherwise.
class LinuxPortsTest : public testing::Test {
protected:
    int raw = EPERM;
    int devPort = EACCES;
    std::optional<std::string> lockdown = "none";
    std::vector<ParallelPortNode> ports;
    std::map<std::string, int> nodeErrors;
    std::vector<ParallelPortNode> ppdevGot;
    std::optional<std::string> helper; // the helper program, where it is there
    bool ownPathUnknown = false;
    std::vector<std::string> helperStarts;

    LinuxAccessProbes probes() {
        LinuxAccessProbes p;
        p.rawAccess = [this] { return raw; };
        p.devPort = [this] { return devPort; };
        p.lockdownMode = [this] { return lockdown; };
        p.parallelPorts = [this] { return ports; };
        p.nodeAccess = [this](const std::string& node) {
            return nodeErrors.count(node) ? nodeErrors[node] : 0;
        };
        p.programPath = [] { return std::string("/opt/port prov/portprov-io"); };
        p.openRaw = [] { return std::make_unique<Named>("raw"); };
        p.openDevPort = [] { return std::make_unique<Named>("devport"); };
        p.openPpdev = [this](std::vector<ParallelPortNode> chosen) {
            ppdevGot = chosen;
            return std::make_unique<Named>("ppdev");
        };
        p.helperProgram = [this] { return helper; };
        p.ownPathUnknown = [this] { return ownPathUnknown; };
        p.withHelper = [this](std::unique_ptr<PortBackend> here,
                              std::function<bool(std::uint16_t)> covers, const std::string& path) {
            return std::make_unique<portprov::PortsWithHelper>(
                std::move(here), std::move(covers), path, [this](const std::string& started) {
                    helperStarts.push_back(started);
                    return std::make_unique<Named>("helper");
                });
        };
        return p;
    }

    std::optional<portprov::PortErrorKind> kind; // of the last refusal

    portprov::WayTaker taker = portprov::WayTaker::Program;

    std::string chosen() { return OpenLinuxPorts(probes(), taker)->describe(); }

    std::string refusal() {
        try {
            OpenLinuxPorts(probes(), taker);
        } catch (const PortError& error) {
            kind = error.kind();
            return error.what();
        }
        ADD_FAILURE() << "a backend was chosen";
        return {};
    }
};

TEST_F(LinuxPortsTest, RawAccessComesFirstThenDevPortThenPpdev) {
    ports = {kLpt1, kLpt2};
    raw = 0;
    devPort = 0;
    EXPECT_EQ(chosen(), "raw");
    raw = EPERM;
    EXPECT_EQ(chosen(), "devport");
    raw = ENOSYS; // a processor without port instructions
    EXPECT_EQ(chosen(), "devport");
    devPort = EACCES;
    EXPECT_EQ(chosen(), "ppdev");
    EXPECT_THAT(ppdevGot, ElementsAre(kLpt1, kLpt2));
}

TEST_F(LinuxPortsTest, TheHelperReachesWhatThisProgramCannotAndStartsOnlyWhenNeeded) {
    helper = "/usr/libexec/portprov/portprov-io";
    struct Case {
        std::vector<ParallelPortNode> ports;
        std::uint16_t port;
        const char* reachedBy;
    };
    const Case cases[] = {
        {{}, 888, "helper"},           // no ppdev: every address through the helper
        {{kLpt1}, 888, "ppdev"},       // ppdev's own registers stay with ppdev
        {{kLpt1}, 890, "ppdev"},
        {{kLpt1}, 513, "helper"},      // the game port and the rest through the helper
        {{kLpt1}, 891, "helper"},
    };
    for (const Case& c : cases) {
        ports = c.ports;
        helperStarts.clear();
        const auto backend = OpenLinuxPorts(probes());
        EXPECT_TRUE(helperStarts.empty()) << "started before any access";
        EXPECT_THAT(backend->describe(), HasSubstr("portprov-io"));
        backend->read(c.port);
        EXPECT_EQ(helperStarts.size(), std::string(c.reachedBy) == "helper" ? 1u : 0u) << c.port;
    }
    // Under lockdown no rights reach the ports: the helper is no way either.
    ports = {};
    lockdown = "integrity";
    EXPECT_THAT(refusal(), HasSubstr("lockdown"));
    // The window's own rights (started as root) come first.
    raw = 0;
    EXPECT_EQ(chosen(), "raw");
}

TEST_F(LinuxPortsTest, TheHelperTakesOnlyTheWaysItsOwnRightsOpen) {
    taker = portprov::WayTaker::Helper;
    ports = {kLpt1};
    helper = "/usr/libexec/portprov/portprov-io";
    struct Case {
        int raw;
        int devPort;
        const char* chosen; // nullptr: refused
    };
    const Case cases[] = {
        {0, 0, "raw"},
        {EPERM, 0, "devport"},
        {EPERM, EACCES, nullptr}, // neither ppdev nor another helper
    };
    for (const Case& c : cases) {
        raw = c.raw;
        devPort = c.devPort;
        if (c.chosen)
            EXPECT_EQ(chosen(), c.chosen);
        else
            EXPECT_THAT(refusal(), HasSubstr("sudo setcap"));
    }
    EXPECT_TRUE(ppdevGot.empty());
    EXPECT_TRUE(helperStarts.empty());
}

TEST_F(LinuxPortsTest, PpdevIsChosenWhenAnyOfItsNodesOpens) {
    ports = {kLpt1, kLpt2};
    lockdown = "integrity"; // ppdev works under lockdown
    nodeErrors["/dev/parport0"] = EACCES;
    EXPECT_EQ(chosen(), "ppdev");
    nodeErrors["/dev/parport1"] = EACCES;
    EXPECT_THAT(refusal(), HasSubstr("lockdown"));
}

TEST_F(LinuxPortsTest, NotPermittedNamesRootSetcapAndTheLpGroup) {
    const std::string message = refusal();
    EXPECT_THAT(message, HasSubstr("root"));
    EXPECT_THAT(message, HasSubstr("sudo setcap cap_sys_rawio+ep '/opt/port prov/portprov-io'"));
    EXPECT_THAT(message, HasSubstr("gruppen lp"));
    EXPECT_THAT(message, Not(HasSubstr("lockdown")));
    EXPECT_THAT(message, Not(HasSubstr("/proc/self/exe")));
    // Without its own path the program started no helper, and says why first.
    ownPathUnknown = true;
    EXPECT_THAT(refusal(), StartsWith("Portprov kunde inte läsa sin egen sökväg (/proc/self/exe"));
    ownPathUnknown = false;

    // Nodes that exist but this user may not open: the same cause.
    ports = {kLpt1};
    nodeErrors["/dev/parport0"] = EACCES;
    raw = ENOSYS;
    devPort = ENOENT;
    EXPECT_THAT(refusal(), HasSubstr("gruppen lp"));
}

TEST_F(LinuxPortsTest, LockdownIsNamedAsTheCauseEvenForRoot) {
    lockdown = "integrity";
    const std::string message = refusal();
    EXPECT_THAT(message, HasSubstr("\"integrity\""));
    EXPECT_THAT(message, HasSubstr("/sys/kernel/security/lockdown"));
    EXPECT_THAT(message, HasSubstr("Secure Boot"));
    EXPECT_THAT(message, HasSubstr("även för root"));
    EXPECT_THAT(message, HasSubstr("ppdev"));
    EXPECT_THAT(message, HasSubstr("gruppen lp"));

    lockdown = "none";
    EXPECT_THAT(refusal(), Not(HasSubstr("lockdown")));
    lockdown = std::nullopt; // a kernel without lockdown support
    EXPECT_THAT(refusal(), Not(HasSubstr("lockdown")));
}

TEST_F(LinuxPortsTest, NoDevPortIsNamedWhereNothingElseIsMissing) {
    raw = ENOSYS;
    devPort = ENOENT;
    const std::string message = refusal();
    EXPECT_THAT(message, HasSubstr("/dev/port finns inte"));
    EXPECT_THAT(message, HasSubstr("modprobe"));
    EXPECT_THAT(message, HasSubstr("gruppen lp"));

    // With raw access merely refused, permission is the cause to fix.
    raw = EPERM;
    EXPECT_THAT(refusal(), HasSubstr("sudo setcap"));
}

TEST_F(LinuxPortsTest, AMissingDevPortIsTheCauseOnlyWhenNothingWeighsMore) {
    // Raw access failing for a reason of its own: that reason is told.
    raw = EIO;
    devPort = ENOENT;
    std::string message = refusal();
    EXPECT_THAT(message, HasSubstr(std::strerror(EIO)));
    EXPECT_THAT(message, Not(HasSubstr("/dev/port finns inte")));

    // A node this user may not open is a cause the user can remove, before
    // a kernel built without /dev/port.
    raw = ENOSYS;
    ports = {kLpt1};
    nodeErrors["/dev/parport0"] = EPERM;
    message = refusal();
    EXPECT_THAT(message, HasSubstr("behörighet"));
    EXPECT_THAT(message, Not(HasSubstr("/dev/port finns inte")));
}

TEST_F(LinuxPortsTest, OtherFailuresShowTheSystemsOwnWords) {
    raw = EIO;
    devPort = ENODEV;
    const std::string message = refusal();
    EXPECT_THAT(message, HasSubstr(std::strerror(EIO)));
    EXPECT_THAT(message, HasSubstr(std::strerror(ENODEV)));
    EXPECT_THAT(message, HasSubstr("root"));
    // Every refusal of the choice tells the way to the parallel ports without root.
    EXPECT_THAT(message, HasSubstr("gruppen lp"));
    EXPECT_THAT(message, HasSubstr("modprobe -a parport_pc ppdev"));
}

TEST_F(LinuxPortsTest, EachRefusalHasItsKind) {
    using portprov::PortErrorKind;
    struct Case {
        int raw;
        int devPort;
        std::optional<std::string> lockdown;
        PortErrorKind kind;
    };
    const Case cases[] = {
        {EPERM, EACCES, std::nullopt, PortErrorKind::NotPermitted},
        {EPERM, EACCES, "integrity", PortErrorKind::NotPermitted},
        {ENOSYS, ENOENT, std::nullopt, PortErrorKind::Missing},
        {EIO, ENODEV, std::nullopt, PortErrorKind::FailedAccess},
    };
    for (const Case& c : cases) {
        raw = c.raw;
        devPort = c.devPort;
        lockdown = c.lockdown;
        kind.reset();
        refusal();
        EXPECT_EQ(kind, c.kind) << c.raw << " " << c.devPort;
    }
}

TEST(HardwareProbe, TellsTheWayOrWhyThereIsNoneWithoutThrowing) {
    const std::string text = portprov::ProbeHardwareAccess();
    const bool way = text.rfind("Portåtkomst på den här datorn: ", 0) == 0;
    const bool none = text.rfind("Ingen portåtkomst på den här datorn. ", 0) == 0;
    EXPECT_TRUE(way || none) << text;
}

} // namespace
