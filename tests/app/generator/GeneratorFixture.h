// SPDX-License-Identifier: MIT
// What the signal generator's dialog tests share: the simulated PC with the
// data plug, a clock they drive, and the dialog and its pin list.
#pragma once

#include "WindowFixture.h"
#include "generator/GeneratorDialog.h"
#include "ports/simulated/SimulatedPc.h"

#include <QListWidget>

#include <atomic>
#include <memory>

namespace {

// The data plug carries D0 (pin 2) to Fel (pin 15) at once.
std::shared_ptr<portprov::SimulatedPc> PcWithDataPlug(WindowFixture& f) {
    auto pc = std::make_shared<portprov::SimulatedPc>();
    pc->insertPlug(portprov::LoopbackPlug::Data);
    f.useBackend(pc);
    return pc;
}

// Time moves 200 ns at each look at the clock: the signal and the recording
// keep their places however slowly a loaded machine runs.
inline portprov::Generator::Clock DrivenClock() {
    return [ticks = std::make_shared<std::atomic<std::int64_t>>(0)] {
        return std::chrono::nanoseconds(ticks->fetch_add(200) + 200);
    };
}

// Fel (pin 15) among the lines of a recording of 889 alone: 10, 11, 12, 13, 15.
constexpr std::size_t kFel = 4;

GeneratorDialog* OpenDialog(WindowFixture& f) {
    f.window->mnuGenerator->trigger();
    return f.window->KeptDialog<GeneratorDialog>();
}

QListWidgetItem* ListItem(const GeneratorDialog* d, int pin) {
    for (int row = 0; row < d->lstPins->count(); ++row) {
        if (d->lstPins->item(row)->data(Qt::UserRole).toInt() == pin)
            return d->lstPins->item(row);
    }
    return nullptr;
}

} // namespace
