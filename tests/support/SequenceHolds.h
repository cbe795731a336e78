// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace portprov {

// For a fake backend: the ports a sequence held, and the accesses that came
// while none was held (a fake calls noteAccess on each).
class SequenceHolds {
public:
    std::vector<std::uint16_t> holds;
    int unheldAccesses = 0;

    void noteAccess() { unheldAccesses += held_ ? 0 : 1; }
    std::unique_ptr<PortHold> hold(std::uint16_t port) {
        struct Hold : PortHold {
            bool& held;
            explicit Hold(bool& h) : held(h) { held = true; }
            ~Hold() override { held = false; }
        };
        holds.push_back(port);
        return std::make_unique<Hold>(held_);
    }

private:
    bool held_ = false;
};

} // namespace portprov
