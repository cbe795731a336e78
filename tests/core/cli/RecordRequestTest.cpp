// SPDX-License-Identifier: MIT
#include "cli/RecordRequest.h"

#include <gtest/gtest.h>

using namespace portprov;
using namespace std::chrono_literals;

namespace {

RecordRequest Request(std::vector<std::string> addresses) {
    RecordRequest request;
    request.addresses = std::move(addresses);
    request.files = {{FileKind::Vcd, "g.vcd"}};
    return request;
}

} // namespace

TEST(RecordRequest, NumbersAreReadAsTheWindowReadsThem) {
    RecordRequest request = Request({"888.5", "0x379", "888"});
    request.duration = "0,005";
    request.rate = "1000";
    request.trigger = "11:fall";
    request.startWrite = PortOperation{PortOperation::Kind::Write, "890", "12.5"};
    const CheckedRecordRequest checked = CheckRecordRequest(request, NumberFormat{","});
    ASSERT_TRUE(checked.plan) << checked.refusal;
    // 888.5 reads 888 (half to even), each register once.
    EXPECT_EQ(checked.plan->ports, (std::vector<std::uint16_t>{888, 889}));
    EXPECT_EQ(checked.plan->duration, 5ms);
    EXPECT_EQ(checked.plan->rate, 1000.0);
    EXPECT_EQ(checked.plan->trigger, (RecordPlan::Trigger{11, false}));
    // A write to 890 rounds its value half to even, as the control register button.
    EXPECT_EQ(checked.plan->startWrite, (std::pair<std::uint16_t, std::uint8_t>{890, 12}));
    EXPECT_FALSE(checked.plan->samples);
    // The address before a trigger's pin, read as --read reads it.
    request.trigger = "0x201:3:rise";
    EXPECT_EQ(CheckRecordRequest(request, NumberFormat{","}).plan->trigger,
              (RecordPlan::Trigger{3, true, 513}));
}

TEST(RecordRequest, AnythingOutOfRangeIsRefused) {
    const auto refusal = [](auto change) {
        RecordRequest request = Request({"889"});
        change(request);
        return CheckRecordRequest(request, {}).plan.has_value();
    };
    EXPECT_TRUE(refusal([](RecordRequest&) {}));
    for (const char* address : {"65536", "-1", "x", ""})
        EXPECT_FALSE(refusal([&](RecordRequest& r) { r.addresses.push_back(address); })) << address;
    for (const char* duration : {"0", "-1", "3601", "abc", "0.0000000001"})
        EXPECT_FALSE(refusal([&](RecordRequest& r) { r.duration = duration; })) << duration;
    for (const char* samples : {"0", "1.5", "-3", "x"})
        EXPECT_FALSE(refusal([&](RecordRequest& r) { r.samples = samples; })) << samples;
    for (const char* rate : {"0", "999", "1000001", "x"})
        EXPECT_FALSE(refusal([&](RecordRequest& r) { r.rate = rate; })) << rate;
    for (const char* trigger : {"11", "11:up", "0:rise", "26:fall", ":rise", "1x:rise", "-1:fall",
                                ":3:fall", "x:3:fall", "65536:3:fall", "888:3:4:fall", "888::fall"})
        EXPECT_FALSE(refusal([&](RecordRequest& r) { r.trigger = trigger; })) << trigger;
    EXPECT_FALSE(refusal([](RecordRequest& r) {
        r.startWrite = PortOperation{PortOperation::Kind::Write, "513", "-1"};
    }));
    EXPECT_TRUE(refusal([](RecordRequest& r) {
        r.samples = "1000";
        r.rate = "1000000";
        r.trigger = "25:rise";
        r.startWrite = PortOperation{PortOperation::Kind::Write, "513", "300"};
    }));
}
