// SPDX-License-Identifier: MIT
#pragma once

#include "lamps/LampPanel.h"

#include <map>
#include <optional>
#include <vector>

// A lamp panel that remembers every colour and text it is given, in order.
class RecordingLamps : public portprov::LampPanel {
public:
    struct Change {
        enum class What { BitLamp, PinLamp, Direction } what;
        int index; // lamp or pin number; 0 for the direction text
        bool operator==(const Change&) const = default;
    };

    void setBitLamp(int index, portprov::LampColour colour) override {
        bitLamps[index] = colour;
        changes.push_back({Change::What::BitLamp, index});
    }
    void setPinLamp(int pin, portprov::LampColour colour) override {
        pinLamps[pin] = colour;
        changes.push_back({Change::What::PinLamp, pin});
    }
    void showDirection(portprov::DataDirection shown) override {
        direction = shown;
        changes.push_back({Change::What::Direction, 0});
    }

    std::map<int, portprov::LampColour> bitLamps;
    std::map<int, portprov::LampColour> pinLamps;
    std::optional<portprov::DataDirection> direction;
    std::vector<Change> changes;
};
