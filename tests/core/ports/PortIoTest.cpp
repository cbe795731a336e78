// SPDX-License-Identifier: MIT
#include "ports/PortIo.h"
#include "RecordingPorts.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace portprov;
using Call = RecordingPorts::Call;

namespace {

const char* const kBadAddress = "Ogiltig adress: skriv ett heltal 0 - 65535";

// A factory that counts how often it is asked, and hands out the fake.
struct CountingFactory {
    std::shared_ptr<RecordingPorts> ports = std::make_shared<RecordingPorts>();
    int opened = 0;

    BackendFactory factory() {
        return [this] {
            ++opened;
            return SharedBackend(ports)();
        };
    }
};

class PortIo : public ::testing::Test {
protected:
    void TearDown() override { SelectPortBackend({}); }
};

template <typename Access> std::string MessageOf(Access access) {
    try {
        access();
    } catch (const PortError& error) {
        return error.what();
    }
    return "(no error)";
}

} // namespace

TEST_F(PortIo, BackendOpensOnTheFirstAccessOnly) {
    CountingFactory counting;
    SelectPortBackend(counting.factory());
    EXPECT_EQ(counting.opened, 0);
    EXPECT_NE(PortAccessDescription(), counting.ports->describe());
    EXPECT_EQ(counting.opened, 0);

    counting.ports->scriptRead(888, 85);
    EXPECT_EQ(DlPortReadPortUchar(888), 85);
    EXPECT_EQ(counting.opened, 1);
    DlPortWritePortUchar(890, 32);
    EXPECT_EQ(DlPortReadPortUchar(889), 255);
    EXPECT_EQ(counting.opened, 1);
    EXPECT_EQ(PortAccessDescription(), counting.ports->describe());
    EXPECT_EQ(counting.ports->calls(), (std::vector<Call>{{Call::Kind::Read, 888, 85},
                                                          {Call::Kind::Write, 890, 32},
                                                          {Call::Kind::Read, 889, 255}}));
}

TEST_F(PortIo, FailedOpeningIsTriedAgainOnTheNextAccess) {
    int attempts = 0;
    auto ports = std::make_shared<RecordingPorts>();
    SelectPortBackend([&]() -> std::unique_ptr<PortBackend> {
        if (++attempts < 3)
            throw PortError(PortErrorKind::Missing, "Drivrutinen saknas");
        return SharedBackend(ports)();
    });
    EXPECT_EQ(MessageOf([] { DlPortReadPortUchar(888); }), "Drivrutinen saknas");
    EXPECT_EQ(MessageOf([] { DlPortWritePortUchar(888, 1); }), "Drivrutinen saknas");
    EXPECT_EQ(attempts, 2);
    DlPortWritePortUchar(888, 7);
    DlPortWritePortUchar(888, 8);
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(ports->calls(),
              (std::vector<Call>{{Call::Kind::Write, 888, 7}, {Call::Kind::Write, 888, 8}}));

    // A factory that gives nothing is a failure too, not a crash.
    int empty = 0;
    SelectPortBackend([&]() -> std::unique_ptr<PortBackend> {
        ++empty;
        return nullptr;
    });
    EXPECT_THROW(DlPortReadPortUchar(888), PortError);
    EXPECT_THROW(DlPortReadPortUchar(888), PortError);
    EXPECT_EQ(empty, 2);
    SelectPortBackend(SharedBackend(nullptr));
    EXPECT_THROW(DlPortReadPortUchar(888), PortError);

    // Nothing chosen at all.
    SelectPortBackend({});
    EXPECT_THROW(DlPortWritePortUchar(888, 0), PortError);
}

TEST_F(PortIo, ChoosingAgainClosesTheOpenBackend) {
    struct Closing : RecordingPorts {
        explicit Closing(bool& closed) : closed_(closed) {}
        ~Closing() override { closed_ = true; }
        bool& closed_;
    };
    bool closed = false;
    SelectPortBackend([&] { return std::make_unique<Closing>(closed); });
    DlPortReadPortUchar(888);
    EXPECT_FALSE(closed);

    CountingFactory next;
    SelectPortBackend(next.factory());
    EXPECT_TRUE(closed);
    EXPECT_EQ(next.opened, 0);
    DlPortReadPortUchar(888);
    EXPECT_EQ(next.opened, 1);
}

TEST_F(PortIo, AddressesOutsideTheIoRangeNeverReachTheBackend) {
    CountingFactory counting;
    SelectPortBackend(counting.factory());
    // 66424 is 888 + 65536: it must not alias to the data register.
    for (const std::int32_t port :
         {-1, 65536, 66424, -65536 + 888, std::numeric_limits<std::int32_t>::min(),
          std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(MessageOf([port] { DlPortReadPortUchar(port); }), kBadAddress) << port;
        EXPECT_EQ(MessageOf([port] { DlPortWritePortUchar(port, 1); }), kBadAddress) << port;
    }
    EXPECT_EQ(counting.opened, 0);
    EXPECT_TRUE(counting.ports->calls().empty());

    DlPortReadPortUchar(0);
    DlPortWritePortUchar(65535, 1);
    EXPECT_EQ(counting.ports->calls(),
              (std::vector<Call>{{Call::Kind::Read, 0, 255}, {Call::Kind::Write, 65535, 1}}));
}

TEST_F(PortIo, WriteGivesTheLowEightBitsOfTheValue) {
    CountingFactory counting;
    SelectPortBackend(counting.factory());
    for (const std::int32_t value :
         {0x1FF, 256, -1, -256, 300, std::numeric_limits<std::int32_t>::min()})
        DlPortWritePortUchar(888, value);
    std::vector<std::uint8_t> written;
    for (const Call& call : counting.ports->calls())
        written.push_back(call.value);
    EXPECT_EQ(written, (std::vector<std::uint8_t>{255, 0, 255, 0, 44, 0}));
}

TEST_F(PortIo, RefusedAccessCarriesTheBackendsMessage) {
    CountingFactory counting;
    SelectPortBackend(counting.factory());
    counting.ports->failWith("Åtkomst nekad");
    EXPECT_EQ(MessageOf([] { DlPortReadPortUchar(888); }), "Åtkomst nekad");
    EXPECT_EQ(MessageOf([] { DlPortWritePortUchar(888, 0); }), "Åtkomst nekad");
    EXPECT_TRUE(counting.ports->calls().empty());
}

// The backend's held reader, reached through the factory's forwarding, is
// asked for the sequence's registers; the window's accesses stay refused.
TEST_F(PortIo, SequenceReadsThroughTheBackendsHeldReader) {
    struct HeldPorts : RecordingPorts {
        std::vector<std::uint16_t> held;
        HeldReader heldReader(std::span<const std::uint16_t> ports) override {
            held.assign(ports.begin(), ports.end());
            return RecordingPorts::heldReader(ports);
        }
    };
    const auto ports = std::make_shared<HeldPorts>();
    SelectPortBackend(SharedBackend(ports));
    const std::int32_t registers[] = {889, 513};
    const DirectPortSequence sequence(registers);
    EXPECT_EQ(sequence.reader()(513), 255);
    EXPECT_EQ(ports->held, (std::vector<std::uint16_t>{889, 513}));
    EXPECT_EQ(MessageOf([] { DlPortReadPortUchar(889); }), kRecordingRunsMessage);
}

TEST(RecordingPorts, ScriptedReadsComeFirstInFirstOutThenTheIdleValue) {
    RecordingPorts ports;
    ports.scriptRead(888, 1);
    ports.scriptRead(888, 2);
    ports.scriptRead(889, 120);
    ports.setIdleValue(888, 85);
    EXPECT_EQ(ports.read(888), 1);
    EXPECT_EQ(ports.read(889), 120);
    EXPECT_EQ(ports.read(888), 2);
    EXPECT_EQ(ports.read(888), 85);
    EXPECT_EQ(ports.read(888), 85);
    EXPECT_EQ(ports.read(889), 255);
    ports.write(890, 32);
    EXPECT_EQ(ports.calls().size(), 7u);
    EXPECT_EQ(ports.calls().back(), (Call{Call::Kind::Write, 890, 32}));
    ports.clearCalls();
    EXPECT_TRUE(ports.calls().empty());
}
