// SPDX-License-Identifier: MIT
#include "ports/linux/PpdevPorts.h"
#include "FakePpdev.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

using portprov::ParallelPortNode;
using portprov::PortError;
using portprov::PpdevPorts;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using Call = FakePpdev::Call;

namespace {

const ParallelPortNode kParport0{0, 888, "/dev/parport0"};
const ParallelPortNode kParport1{1, 632, "/dev/parport1"};

class PpdevPortsTest : public testing::Test {
protected:
    std::shared_ptr<FakePpdev> kernel = std::make_shared<FakePpdev>();
    PpdevPorts ports{{kParport0, kParport1}, kernel, "/opt/portprov/portprov-io"};

    std::string messageOf(auto access) {
        try {
            access();
        } catch (const PortError& error) {
            return error.what();
        }
        ADD_FAILURE() << "no PortError";
        return {};
    }
};

TEST_F(PpdevPortsTest, DataAndStatusGoToTheirRequestsUnchanged) {
    kernel->registers[PPRDATA] = 0x55;
    kernel->registers[PPRSTATUS] = 0x87; // the busy line as the driver reads it, not inverted
    ports.write(888, 0xA5);
    EXPECT_EQ(ports.read(888), 0x55);
    EXPECT_EQ(ports.read(889), 0x87);
    kernel->registers[PPRSTATUS] = 0x78;
    EXPECT_EQ(ports.read(889), 0x78);
    // The status register is an input: a write reaches no request at all.
    ports.write(889, 0xFF);

    EXPECT_THAT(kernel->registerCalls(),
                ElementsAre(Call{"PPWDATA", 100, 0xA5}, Call{"PPRDATA", 100, 0x55},
                            Call{"PPRSTATUS", 100, 0x87}, Call{"PPRSTATUS", 100, 0x78}));
}

TEST_F(PpdevPortsTest, ControlWriteSplitsOutputLinesFromTheDirectionBit) {
    ports.write(890, 0xFF);
    ports.write(890, 0x20);
    ports.write(890, 0x0B);
    EXPECT_THAT(kernel->registerCalls(),
                ElementsAre(Call{"PPWCONTROL", 100, 0x0F}, Call{"PPDATADIR", 100, 1},
                            Call{"PPWCONTROL", 100, 0x00}, Call{"PPDATADIR", 100, 1},
                            Call{"PPWCONTROL", 100, 0x0B}, Call{"PPDATADIR", 100, 0}));
    // A signal's held writer writes on the hold's claim and turns the data
    // lines only when bit 5 changes.
    kernel->calls.clear();
    const auto hold = ports.holdForSequence(888);
    const std::uint16_t held[] = {888, 890};
    const auto write = ports.heldWriter(held);
    write(890, 0x0A), write(890, 0x2B), write(890, 0x2A), write(888, 0x11);
    EXPECT_THAT(kernel->registerCalls(),
                ElementsAre(Call{"PPWCONTROL", 100, 0x0A}, Call{"PPWCONTROL", 100, 0x0B},
                            Call{"PPDATADIR", 100, 1}, Call{"PPWCONTROL", 100, 0x0A},
                            Call{"PPWDATA", 100, 0x11}));
    EXPECT_EQ(kernel->claimCalls(), (std::vector<std::string>{"claim"}));
}

TEST_F(PpdevPortsTest, ControlReadsBackWholeWithTheUpperBitsFromTheLastWrite) {
    // Before any write the upper bits read as the driver leaves them: clear.
    kernel->registers[PPRCONTROL] = 0x04;
    EXPECT_EQ(ports.read(890), 0x04);

    ports.write(890, 0xF5);
    kernel->registers[PPRCONTROL] = 0x05;
    EXPECT_EQ(ports.read(890), 0xF5);

    // The output lines come from the driver, even when they differ from the
    // copy; stray upper bits in its answer are not believed.
    kernel->registers[PPRCONTROL] = 0xFA;
    EXPECT_EQ(ports.read(890), 0xFA);
    ports.write(890, 0x30);
    kernel->registers[PPRCONTROL] = 0xC3;
    EXPECT_EQ(ports.read(890), 0x33);

    // Each port keeps its own copy.
    kernel->registers[PPRCONTROL] = 0x00;
    EXPECT_EQ(ports.read(634), 0x00);
}

TEST_F(PpdevPortsTest, EachPortIsOpenedOnItsFirstAccessOnly) {
    EXPECT_TRUE(kernel->calls.empty());
    ports.read(888);
    ports.read(890);
    EXPECT_THAT(kernel->opened, ElementsAre("/dev/parport0"));
    ports.write(632, 1);
    EXPECT_THAT(kernel->opened, ElementsAre("/dev/parport0", "/dev/parport1"));
    EXPECT_EQ(kernel->calls[0], (Call{"open", 100, -1}));
    EXPECT_EQ(kernel->calls[1], (Call{"claim", 100, 0}));
    EXPECT_EQ(kernel->registerCalls().back(), (Call{"PPWDATA", 101, 1}));
}

// Never PPEXCL: an exclusive registration would keep the printer driver lp
// from loading, and from printing while the window is open.
TEST_F(PpdevPortsTest, SharesThePortWhenAnotherDriverIsRegisteredOnIt) {
    ports.read(888);
    const auto hold = ports.holdForSequence(888);
    EXPECT_THAT(kernel->calls,
                ElementsAre(Call{"open", 100, -1}, Call{"claim", 100, 0}, Call{"PPRDATA", 100, 0},
                            Call{"PPRELEASE", 100, -1}, Call{"claim", 100, 0}));
}

// Who claims when: the port is the kernel's again whenever nothing uses it.
TEST(PpdevClaims, TheClaimLastsAsLongAsTheUse) {
    using Steps = std::function<void(PpdevPorts&, FakePpdev&)>;
    using Strings = std::vector<std::string>;
    struct Case {
        const char* name;
        Steps steps;
        Strings expected;
    };
    const Case cases[] = {
        {"single accesses claim and release, the node stays open",
         [](PpdevPorts& p, FakePpdev&) { p.read(888), p.write(890, 4); },
         {"open", "claim", "PPRELEASE", "claim", "PPRELEASE"}},
        {"a hold keeps one claim across accesses",
         [](PpdevPorts& p, FakePpdev&) {
             const auto hold = p.holdForSequence(888);
             p.read(888), p.write(888, 1), p.read(890);
         },
         {"open", "claim", "PPRELEASE"}},
        {"nested holds release with the last",
         [](PpdevPorts& p, FakePpdev&) {
             auto reading = p.holdForReading(889);
             auto sequence = p.holdForSequence(888);
             reading.reset(), p.read(888), sequence.reset(), p.read(888);
         },
         {"open", "claim", "PPRELEASE", "claim", "PPRELEASE"}},
        {"a failed claim leaves no hold and no queued claim",
         [](PpdevPorts& p, FakePpdev& k) {
             k.claimErrors = {ETIMEDOUT};
             EXPECT_THROW(static_cast<void>(p.holdForReading(888)), PortError);
             p.read(888);
         },
         {"open", "claim", "close", "open", "claim", "PPRELEASE"}},
        {"an access failing under a hold keeps the hold",
         [](PpdevPorts& p, FakePpdev& k) {
             const auto hold = p.holdForSequence(888);
             k.failing[PPRSTATUS] = EIO;
             EXPECT_THROW(p.read(889), PortError);
         },
         {"open", "claim", "PPRELEASE"}},
        {"a failed release closes the node, which releases",
         [](PpdevPorts& p, FakePpdev& k) {
             k.failing[PPRELEASE] = EIO;
             p.read(888), p.read(888);
         },
         {"open", "claim", "PPRELEASE", "close", "open", "claim", "PPRELEASE", "close"}},
        {"a hold outliving the backend releases nothing",
         [](PpdevPorts&, FakePpdev& k) {
             std::unique_ptr<portprov::PortHold> hold;
             {
                 PpdevPorts other({kParport0}, std::shared_ptr<FakePpdev>(&k, [](FakePpdev*) {}));
                 hold = other.holdForSequence(888);
             }
         },
         {"open", "claim", "close"}},
        {"a held reader reads on the hold's claim, and is refused once it ends",
         [](PpdevPorts& p, FakePpdev&) {
             auto hold = p.holdForSequence(888);
             const std::uint16_t held[] = {889};
             const auto read = p.heldReader(held);
             read(889), read(889), hold.reset();
             EXPECT_THROW(read(889), PortError);
         },
         {"open", "claim", "PPRELEASE"}},
        {"a reader of a port not held claims for each read",
         [](PpdevPorts& p, FakePpdev&) {
             const std::uint16_t held[] = {889};
             const auto read = p.heldReader(held);
             read(889), read(889);
         },
         {"open", "claim", "PPRELEASE", "claim", "PPRELEASE"}},
    };
    for (const Case& c : cases) {
        auto kernel = std::make_shared<FakePpdev>();
        PpdevPorts ports({kParport0}, kernel, "/opt/portprov/portprov-io");
        c.steps(ports, *kernel);
        EXPECT_EQ(kernel->claimCalls(), c.expected) << c.name;
    }
    // Continuous reading asks the kernel without waiting for another program.
    auto kernel = std::make_shared<FakePpdev>();
    PpdevPorts ports({kParport0}, kernel, "/opt/portprov/portprov-io");
    static_cast<void>(ports.holdForReading(888));
    static_cast<void>(ports.holdForSequence(888));
    EXPECT_THAT(kernel->claimLimits,
                ElementsAre(PpdevPorts::kNoWaitLimit, PpdevPorts::kClaimLimit));
}

TEST_F(PpdevPortsTest, APortHeldElsewhereGivesUpWithAMessageAndIsTriedAgainLater) {
    kernel->claimErrors = {ETIMEDOUT};
    const std::string message = messageOf([&] { ports.read(888); });
    EXPECT_THAT(message, HasSubstr("/dev/parport0"));
    EXPECT_THAT(message, HasSubstr("lp"));
    EXPECT_THAT(message, HasSubstr("3 sekunder"));
    EXPECT_EQ(kernel->calls.back(), (Call{"close", 100, -1}));
    EXPECT_TRUE(kernel->registerCalls().empty());

    kernel->registers[PPRDATA] = 7;
    EXPECT_EQ(ports.read(888), 7);
}

TEST_F(PpdevPortsTest, AClaimThatTimesOutGivesUpWithoutWaitingAgain) {
    kernel->claimErrors = {ETIMEDOUT};
    const std::string message = messageOf([&] { ports.read(888); });
    EXPECT_THAT(message, HasSubstr("/dev/parport0"));
    EXPECT_THAT(message, HasSubstr("3 sekunder"));
    EXPECT_THAT(kernel->calls, ElementsAre(Call{"open", 100, -1}, Call{"claim", 100, ETIMEDOUT},
                                           Call{"close", 100, -1}));
    EXPECT_THAT(kernel->claimLimits, ElementsAre(PpdevPorts::kClaimLimit));
}

TEST_F(PpdevPortsTest, APortAnotherProgramHoldsAloneIsNamedBusy) {
    kernel->claimErrors = {ENXIO};
    const std::string message = messageOf([&] { ports.read(888); });
    EXPECT_THAT(message, HasSubstr("/dev/parport0 är upptagen"));
    EXPECT_THAT(message, HasSubstr("annat program"));
    EXPECT_EQ(kernel->calls.back(), (Call{"close", 100, -1}));
}

TEST_F(PpdevPortsTest, OpenFailuresNameTheirRemedy) {
    kernel->openErrors = {EACCES};
    const std::string denied = messageOf([&] { ports.read(888); });
    EXPECT_THAT(denied, HasSubstr("/dev/parport0"));
    EXPECT_THAT(denied, HasSubstr("gruppen lp"));
    EXPECT_THAT(denied, HasSubstr("root"));

    kernel->openErrors = {ENOENT};
    EXPECT_THAT(messageOf([&] { ports.read(888); }), HasSubstr("modprobe"));

    kernel->failing[PPRSTATUS] = EIO;
    const std::string failed = messageOf([&] { ports.read(889); });
    EXPECT_THAT(failed, HasSubstr("PPRSTATUS"));
    EXPECT_THAT(failed, HasSubstr("/dev/parport0"));
    // The driver cannot be unloaded while this program holds the port open.
    EXPECT_THAT(failed, HasSubstr("sudo modprobe -r ppdev"));
    EXPECT_LT(failed.find("avsluta programmet"), failed.find("modprobe -r ppdev"));
}

// The window and the command line tell the causes apart by kind, not by text.
TEST(PpdevKinds, EachFailureHasItsKind) {
    using portprov::PortErrorKind;
    struct Case {
        std::deque<int> openErrors;
        std::deque<int> claimErrors;
        int statusError;
        std::uint16_t address;
        PortErrorKind kind;
    };
    const Case cases[] = {
        {{EACCES}, {}, 0, 888, PortErrorKind::NotPermitted},
        {{ENOENT}, {}, 0, 888, PortErrorKind::Missing},
        {{}, {ETIMEDOUT}, 0, 888, PortErrorKind::Busy},
        {{}, {ENXIO}, 0, 888, PortErrorKind::Busy},
        {{}, {}, EIO, 889, PortErrorKind::FailedAccess},
        {{}, {}, 0, 513, PortErrorKind::NotCovered},
    };
    for (const Case& c : cases) {
        auto kernel = std::make_shared<FakePpdev>();
        kernel->openErrors = c.openErrors;
        kernel->claimErrors = c.claimErrors;
        if (c.statusError != 0)
            kernel->failing[PPRSTATUS] = c.statusError;
        PpdevPorts ports({kParport0}, kernel, "/opt/portprov/portprov-io");
        try {
            ports.read(c.address);
            ADD_FAILURE() << "no PortError for " << c.address;
        } catch (const PortError& error) {
            EXPECT_EQ(error.kind(), c.kind) << error.what();
        }
    }
}

// The kernel's port is opened close-on-exec: a program started from the
// window (the read-me viewer) must not inherit it and keep the claim after
// Portprov has ended.
TEST(PpdevKernel, OpensNodesCloseOnExec) {
    const int fd = portprov::KernelPpdev()->open("/dev/null");
    ASSERT_GE(fd, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
}

TEST_F(PpdevPortsTest, AnAddressNoPortCoversIsRefusedWithoutTouchingAnything) {
    EXPECT_FALSE(ports.covers(887));
    EXPECT_FALSE(ports.covers(891));
    EXPECT_FALSE(ports.covers(513));
    EXPECT_TRUE(ports.covers(634));
    for (std::uint16_t address : std::initializer_list<std::uint16_t>{887, 891, 513, 0, 65535}) {
        const std::string message = messageOf([&] { ports.write(address, 1); });
        EXPECT_THAT(message, HasSubstr("Adress " + std::to_string(address) + " "));
        EXPECT_THAT(message, HasSubstr("888-890 (/dev/parport0), 632-634 (/dev/parport1)"));
        EXPECT_THAT(message, HasSubstr("sudo setcap cap_sys_rawio+ep /opt/portprov/portprov-io"));
        EXPECT_THROW(ports.read(address), PortError);
    }
    EXPECT_TRUE(kernel->calls.empty());
}

TEST(PpdevPortsUnderLockdown, AnAddressNoPortCoversNamesTheLockdownNotRoot) {
    auto kernel = std::make_shared<FakePpdev>();
    auto refusalOf513 = [&](std::optional<std::string> lockdown) {
        PpdevPorts ports({kParport0}, kernel, "/opt/portprov/portprov-io", std::move(lockdown));
        try {
            ports.read(513);
        } catch (const PortError& error) {
            return std::string(error.what());
        }
        ADD_FAILURE() << "513 was read";
        return std::string();
    };

    const std::string message = refusalOf513("integrity");
    EXPECT_THAT(message, HasSubstr("Adress 513 "));
    EXPECT_THAT(message, HasSubstr("888-890 (/dev/parport0)"));
    EXPECT_THAT(message, HasSubstr("\"integrity\""));
    EXPECT_THAT(message, HasSubstr("/sys/kernel/security/lockdown"));
    EXPECT_THAT(message, HasSubstr("Secure Boot"));
    // A locked kernel refuses root and setcap too: no use sending the user there.
    EXPECT_THAT(message, Not(HasSubstr("setcap")));
    EXPECT_THAT(message, Not(HasSubstr("kör programmet som root")));

    // "none" is no lockdown, and a kernel may not tell: the usual remedy.
    EXPECT_THAT(refusalOf513("none"), HasSubstr("sudo setcap"));
    EXPECT_THAT(refusalOf513(std::nullopt), HasSubstr("sudo setcap"));
    EXPECT_TRUE(kernel->calls.empty());
}

TEST_F(PpdevPortsTest, DescribesTheNodesAndTheirAddresses) {
    EXPECT_EQ(ports.describe(), "kärnans parallellportsdrivrutin (ppdev): /dev/parport0 på "
                                "888-890, /dev/parport1 på 632-634");
}

TEST(PpdevPortsLifetime, ClosingTheBackendReleasesEveryClaimedPort) {
    auto kernel = std::make_shared<FakePpdev>();
    {
        PpdevPorts ports({kParport0, kParport1}, kernel);
        ports.read(888);
    }
    EXPECT_EQ(kernel->calls.back(), (Call{"close", 100, -1}));
    EXPECT_EQ(std::count(kernel->calls.begin(), kernel->calls.end(), Call{"close", 100, -1}), 1);
}

} // namespace
