// SPDX-License-Identifier: MIT
// Reads and writes asked for on the command line: how they are taken from the
// arguments, run in order on the ports, and printed.
#include "cli/PortOperations.h"
#include "RecordingPorts.h"
#include "cli/PortOperationArguments.h"
#include "cli/ReadReport.h"
#include "connector/GamePort.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/RecordedLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>

using namespace portprov;
using Call = RecordingPorts::Call;
using OperationKind = PortOperation::Kind;

namespace {

PortOperation Read(std::string address) {
    return {OperationKind::Read, std::move(address), {}};
}
PortOperation Write(std::string address, std::string value) {
    return {OperationKind::Write, std::move(address), std::move(value)};
}

TEST(TakePortOperations, KeepsTheOrderAndLeavesTheOtherArguments) {
    const PortOperationArguments split =
        TakePortOperations({"portprov", "--simulate", "--write", "888", "85", "--read=0x378",
                            "--write=890", "-1", "--read", "889", "--", "--read"});
    EXPECT_FALSE(split.error);
    EXPECT_EQ(split.operations, (std::vector<PortOperation>{Write("888", "85"), Read("0x378"),
                                                            Write("890", "-1"), Read("889")}));
    EXPECT_EQ(split.others, (std::vector<std::string>{"portprov", "--simulate", "--", "--read"}));
}

TEST(TakePortOperations, AMissingNumberIsAnError) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"portprov", "--read"},
                                               {"portprov", "--read", "--simulate"},
                                               {"portprov", "--write", "888"},
                                               {"portprov", "--write=888"},
                                               {"portprov", "--write", "888", "--read", "888"},
                                               {"portprov", "--read="},
                                               {"portprov", "--read", ""},
                                               {"portprov", "--write=", "5"}}) {
        const PortOperationArguments split = TakePortOperations(arguments);
        ASSERT_TRUE(split.error) << arguments.back();
        EXPECT_NE(split.error->find("saknar"), std::string::npos);
    }
}

class RunPortOperationsTest : public testing::Test {
protected:
    std::shared_ptr<RecordingPorts> ports = std::make_shared<RecordingPorts>();
    std::ostringstream out;
    std::ostringstream err;

    void SetUp() override { SelectPortBackend(SharedBackend(ports)); }
    void TearDown() override { SelectPortBackend({}); }

    int run(const std::vector<PortOperation>& operations, std::vector<std::uint16_t> bases = {},
            NumberFormat format = {}) {
        return RunPortOperations(operations, bases, format, out, err);
    }
};

TEST_F(RunPortOperationsTest, AWriteThenAReadOnTheSimulatedPcPrintsTheByte) {
    SelectPortBackend([] { return std::make_unique<SimulatedPc>(); });
    EXPECT_EQ(run({Write("888", "85"), Read("888")}), 0);
    EXPECT_EQ(out.str(), "888: 85 01010101 stift 9=låg 8=hög 7=låg 6=hög 5=låg 4=hög 3=låg "
                         "2=hög\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(RunPortOperationsTest, ARefusedNumberIsABadCommandLineAndNothingRuns) {
    ports->scriptRead(888, 1);
    EXPECT_EQ(run({Read("888"), Write("65536", "5"), Read("889")}), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Ogiltig adress: skriv ett heltal 0 - 65535\n");
    EXPECT_TRUE(ports->calls().empty());

    for (const auto& [value, refusal] : std::vector<std::pair<std::string, std::string>>{
             {"", "Input får ej vara tom\n"}, {"-1", "Ogiltigt värde: skriv ett tal 0 - 255\n"}}) {
        err.str("");
        ports->clearCalls();
        // The value is checked before the address, as the write command does.
        EXPECT_EQ(run({Write("x", value), Read("888")}), 2);
        EXPECT_EQ(err.str(), refusal);
        EXPECT_TRUE(ports->calls().empty());
    }
}

TEST_F(RunPortOperationsTest, AFailedAccessPrintsItsMessage) {
    ports->failWith("Porten kunde inte läsas.");
    EXPECT_EQ(run({Read("513"), Write("888", "1")}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Porten kunde inte läsas.\n");
}

// A line that cannot be printed is a failure: the run stops, the read done.
TEST_F(RunPortOperationsTest, AFailedPrintStopsTheRun) {
    out.setstate(std::ios::badbit);
    EXPECT_EQ(run({Read("888"), Write("888", "1")}), 1);
    EXPECT_EQ(ports->calls().size(), 1u);
    EXPECT_EQ(err.str(), "Resultatet kunde inte skrivas ut.\n");
    err.setstate(std::ios::badbit);
    EXPECT_EQ(run({Write("888", "300"), Write("888", "1")}), 1);
    EXPECT_EQ(ports->calls().size(), 2u);
}

// The numbers are read as the boxes read them: a read's address rounded half
// to even, a write's address and value rounded down, except that a write to
// 890 rounds its value as the control register command does.
TEST_F(RunPortOperationsTest, NumbersAreRoundedAsTheBoxesRoundThem) {
    ports->setIdleValue(888, 0);
    const NumberFormat comma{","};
    EXPECT_EQ(run({Read("888,5"), Read("887.5"), Write("889,9", "12.7"), Write("0x37A", "12,7")},
                  {}, comma),
              0);
    EXPECT_EQ(ports->calls(), (std::vector<Call>{{Call::Kind::Read, 888, 0},
                                                 {Call::Kind::Read, 888, 0},
                                                 {Call::Kind::Write, 889, 12},
                                                 {Call::Kind::Write, 890, 13}}));
    EXPECT_EQ(run({Write("888", "1e3")}, {}, comma), 2);
    EXPECT_EQ(err.str(), "Ogiltigt värde: skriv ett tal 0 - 255\n");
}

TEST_F(RunPortOperationsTest, AValueAbove255WritesItAndSaysSo) {
    EXPECT_EQ(run({Write("888", "300")}), 0);
    EXPECT_EQ(ports->calls(), (std::vector<Call>{{Call::Kind::Write, 888, 255}}));
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "300 är större än 255: 255 skrivs till 888.\n");
}

TEST(ReadReport, ShowsEachParallelRegistersPinsAndNoneElsewhere) {
    const std::vector<std::uint16_t> none;
    // The status inputs on their own pins, at their levels: busy (pin 11)
    // is the opposite of bit 7.
    EXPECT_EQ(ReadReport(889, 223, none),
              "889: 223 11011111 stift 11=låg 10=hög 12=låg 13=hög 15=hög");
    EXPECT_EQ(ReadReport(889, 135, none),
              "889: 135 10000111 stift 11=låg 10=låg 12=låg 13=låg 15=låg");
    EXPECT_EQ(ReadReport(890, 32, none),
              "890: 32 00100000 stift 17=hög 16=låg 14=hög 1=hög; D0 - D7 står i Läsläge  bit "
              "5 Hög");
    EXPECT_EQ(ReadReport(890, 15, none),
              "890: 15 00001111 stift 17=låg 16=hög 14=låg 1=låg; D0 - D7 står i Skrivläge  bit "
              "5 Låg");
    EXPECT_EQ(ReadReport(513, 15, none), "513: 15 00001111");
    EXPECT_EQ(ReadReport(632, 15, none),
              "632: 15 00001111 stift 9=låg 8=låg 7=låg 6=låg 5=hög 4=hög 3=hög 2=hög");
    EXPECT_EQ(ReadReport(891, 15, none), "891: 15 00001111");

    // A port the computer reports shows its pins like the first one.
    const std::vector<std::uint16_t> reported{0xD010};
    EXPECT_EQ(ReadReport(0xD010, 128, reported),
              "53264: 128 10000000 stift 9=hög 8=låg 7=låg 6=låg 5=låg 4=låg 3=låg 2=låg");
    EXPECT_EQ(ReadReport(0xD011, 0, reported),
              "53265: 0 00000000 stift 11=hög 10=låg 12=låg 13=låg 15=låg");
    EXPECT_EQ(ReadReport(0xD012, 0, reported),
              "53266: 0 00000000 stift 17=hög 16=låg 14=hög 1=hög; D0 - D7 står i Skrivläge  "
              "bit 5 Låg");
    EXPECT_EQ(ReadReport(0xD013, 0, reported), "53267: 0 00000000");
    // The usual bases show their pins whether reported or not.
    EXPECT_EQ(ReadReport(633, 128, std::vector<std::uint16_t>{632}),
              "633: 128 10000000 stift 11=låg 10=låg 12=låg 13=låg 15=låg");
    EXPECT_EQ(ReadReport(956, 0, std::vector<std::uint16_t>{632}),
              "956: 0 00000000 stift 9=låg 8=låg 7=låg 6=låg 5=låg 4=låg 3=låg 2=låg");
}

// The pins of a parallel port's register that a line of --read names.
std::vector<int> PinsRead(std::uint16_t port) {
    const std::string line = ReadReport(port, 0, {});
    const std::size_t start = line.find(" stift ");
    std::istringstream named(start == std::string::npos ? "" : line.substr(start + 7));
    std::vector<int> pins;
    for (std::string pin; named >> pin && pin.find('=') != std::string::npos;)
        pins.push_back(std::stoi(pin));
    std::sort(pins.begin(), pins.end());
    return pins;
}

std::vector<int> PinsRecorded(std::uint16_t port) {
    std::vector<int> pins;
    for (const RecordedLine& line : LinesOf(std::vector<std::uint16_t>{port}))
        if (line.pin != 0 && !IsGamePort(port))
            pins.push_back(line.pin);
    std::sort(pins.begin(), pins.end());
    return pins;
}

TEST(ReadReport, NamesThePinsARecordingOfTheSameAddressNames) {
    const std::vector<int> data{2, 3, 4, 5, 6, 7, 8, 9}, status{10, 11, 12, 13, 15},
        control{1, 14, 16, 17}, no;
    const std::vector<std::pair<std::uint16_t, std::vector<int>>> table{
        {888, data},    {889, status}, {890, control}, {632, data}, {633, status},
        {634, control}, {956, data},   {513, no},      {0, no},     {1000, no}};
    for (const auto& [port, pins] : table) {
        EXPECT_EQ(PinsRead(port), pins) << port;
        EXPECT_EQ(PinsRecorded(port), pins) << port;
    }
}

} // namespace
