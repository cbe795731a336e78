// SPDX-License-Identifier: MIT
// The simulated PC keeps its own model of the connector (which pin is which
// bit, and which lines are inverted) instead of reading the program's
// connector table: the loopback test and the pin rules are checked against
// it, and a mistake in the table would otherwise be copied into the very
// port that is meant to catch it.
#include "ports/simulated/SimulatedPc.h"

#include "process/SteadyNow.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace portprov {

namespace {

// Status bits 0 to 2 have no input and read 1.
constexpr std::uint8_t kStatusUnusedBits = 0b0000'0111;
// The status inputs: pin and bit. Busy (pin 11) reads inverted. With nothing
// attached every input is pulled high, and the register reads 127.
struct StatusInput {
    int pin;
    int bit;
    bool inverted;
};
constexpr std::array<StatusInput, 5> kStatusInputs{{
    {10, 6, false}, // ack
    {11, 7, true},  // busy
    {12, 5, false}, // paper end
    {13, 4, false}, // select
    {15, 3, false}, // error
}};
// The control lines: pin, bit, and whether the pin level is the bit's opposite.
struct ControlLine {
    int pin;
    int bit;
    bool inverted;
};
constexpr std::array<ControlLine, 4> kControlLines{{
    {1, 0, true},   // strobe
    {14, 1, true},  // auto feed
    {16, 2, false}, // init
    {17, 3, true},  // select in
}};
// The data lines D0 to D7 lie on pins 2 to 9.
constexpr int kFirstDataPin = 2;
constexpr int kLastDataPin = 9;

// The loopback plugs, as the pin pairs they join: output pin, input pin.
constexpr std::array<std::array<int, 2>, 5> kControlLoopPins{
    {{1, 13}, {2, 15}, {14, 12}, {16, 10}, {17, 11}}};
constexpr std::array<std::array<int, 2>, 5> kDataLoopPins{
    {{2, 15}, {3, 13}, {4, 12}, {5, 10}, {6, 11}}};
// Bits 0 to 3 drive the control lines, bit 4 enables the interrupt and
// bit 5 turns the data lines to input; bits 6 and 7 do not exist and read 1.
constexpr std::uint8_t kControlStoredBits = 0b0011'1111;
constexpr std::uint8_t kControlMissingBits = 0b1100'0000;
constexpr std::uint8_t kControlDataInput = 0b0010'0000;
// Data lines read as input with nothing attached.
constexpr std::uint8_t kDataLinesNothingAttached = 255;

// The four buttons up (bits 4 to 7, 0 while pressed); bits 0 to 3 are high
// while their axis timers run.
constexpr std::uint8_t kGameButtonsUp = 0b1111'0000;

// A printer online with paper and no error, not busy, Ack high: busy's pin
// low reads 1, paper end low, the rest high.
constexpr std::uint8_t kPrinterReady = 0b1101'1111;
constexpr std::uint8_t kStatusAck = 0b0100'0000;
constexpr std::uint8_t kStatusBusy = 0b1000'0000;
constexpr std::uint8_t kControlStrobe = 0b0000'0001;

// Status bit 0: the EPP time-out.
constexpr std::uint8_t kStatusEppTimeout = 0b0000'0001;
// An ECP port's extended control register lies 0x402 above its base. Its
// bits 0 and 1 tell the FIFO's state, 01 while it is empty (always here).
constexpr int kEcrDistance = 0x402;
constexpr std::uint8_t kEcrFifoBits = 0b0000'0011;
constexpr std::uint8_t kEcrFifoEmpty = 0b0000'0001;

// Nothing answers at the address: the bus floats high.
constexpr std::uint8_t kFloatingBus = 255;

bool HasBit(std::uint8_t byte, int bit) {
    return ((byte >> bit) & 1u) != 0;
}

// The level (true = high) the port drives on an output pin. Data lines turned
// to input drive nothing and are pulled high.
bool OutputPinLevel(int pin, std::uint8_t dataLatch, std::uint8_t control) {
    if (pin >= kFirstDataPin && pin <= kLastDataPin) {
        if ((control & kControlDataInput) != 0)
            return true;
        return HasBit(dataLatch, pin - kFirstDataPin);
    }
    for (const ControlLine& line : kControlLines) {
        if (line.pin == pin)
            return HasBit(control, line.bit) != line.inverted;
    }
    return true;
}

} // namespace

SimulatedPc::SimulatedPc(Clock clock) : clock_(clock ? std::move(clock) : Clock(SteadyNow{})) {
    // 888 can do everything; its ECR starts in mode 000 (SPP).
    parallel_[0].epp = true;
    parallel_[0].ecr = 0;
    // 632 keeps the defaults: PS/2. 956 is a plain SPP port.
    parallel_[2].bidirectional = false;
}

SimulatedPc::ParallelPort* SimulatedPc::parallelAt(std::uint16_t port, int& offset) {
    for (std::size_t i = 0; i < kParallelBases.size(); ++i) {
        const int distance = static_cast<int>(port) - static_cast<int>(kParallelBases[i]);
        if (distance >= kDataOffset && distance <= kControlOffset) {
            offset = distance;
            return &parallel_[i];
        }
    }
    return nullptr;
}

SimulatedPc::ParallelPort* SimulatedPc::ecpPortWithEcrAt(std::uint16_t port) {
    for (std::size_t i = 0; i < kParallelBases.size(); ++i) {
        if (parallel_[i].ecr && int{port} == int{kParallelBases[i]} + kEcrDistance)
            return &parallel_[i];
    }
    return nullptr;
}

std::uint8_t SimulatedPc::read(std::uint16_t port) {
    int offset = 0;
    if (ParallelPort* parallel = parallelAt(port, offset)) {
        switch (offset) {
        case kDataOffset:
            return parallel->bidirectional && (parallel->control & kControlDataInput) != 0
                       ? kDataLinesNothingAttached
                       : parallel->dataLatch;
        case kStatusOffset: {
            std::uint8_t status = statusOf(*parallel);
            if (parallel == &parallel_[0])
                status = withFaults(status);
            return parallel->eppTimeout ? status
                                        : static_cast<std::uint8_t>(status & ~kStatusEppTimeout);
        }
        default:
            return static_cast<std::uint8_t>(parallel->control | kControlMissingBits);
        }
    }
    if (const ParallelPort* ecp = ecpPortWithEcrAt(port))
        return static_cast<std::uint8_t>(*ecp->ecr | kEcrFifoEmpty);
    if (IsGamePort(port)) {
        std::uint8_t value = kGameButtonsUp;
        if (axisTimersRunning_) {
            const std::chrono::nanoseconds elapsed = clock_() - axisTimersStarted_;
            for (std::size_t axis = 0; axis < axisPercent_.size(); ++axis) {
                const auto run =
                    kAxisTimerBase + std::chrono::nanoseconds(std::llround(
                                         kAxisTimerPerPercent.count() * axisPercent_[axis]));
                if (elapsed < run)
                    value = static_cast<std::uint8_t>(value | (1u << axis));
            }
            axisTimersRunning_ = value != kGameButtonsUp;
        }
        return value;
    }
    return kFloatingBus;
}

std::uint8_t SimulatedPc::statusOf(const ParallelPort& port) const {
    if (printer_ && &port == &parallel_[0])
        return printerStatus();
    auto status = kStatusUnusedBits;
    for (const StatusInput& input : kStatusInputs) {
        bool level = true; // pulled high
        if (&port == &parallel_[0]) {
            for (const PlugWire& wire : plug_) {
                if (wire.inputPin == input.pin && !wire.broken)
                    level = OutputPinLevel(wire.outputPin, port.dataLatch, port.control);
            }
        }
        if (level != input.inverted)
            status = static_cast<std::uint8_t>(status | (1u << input.bit));
    }
    return status;
}

std::uint8_t SimulatedPc::printerStatus() const {
    std::uint8_t status = kPrinterReady;
    if (!lastStrobe_)
        return status;
    const std::chrono::nanoseconds since = clock_() - *lastStrobe_;
    if (since < kPrinterBusyLength)
        status = static_cast<std::uint8_t>(status & ~kStatusBusy);
    if (since >= kPrinterAckStart && since < kPrinterAckStart + kPrinterAckLength)
        status = static_cast<std::uint8_t>(status & ~kStatusAck);
    return status;
}

void SimulatedPc::attachPrinter() {
    plug_.clear();
    printer_ = true;
}

void SimulatedPc::setJoystickA(double xPercent, double yPercent) {
    axisPercent_[0] = std::clamp(xPercent, 0.0, 100.0);
    axisPercent_[1] = std::clamp(yPercent, 0.0, 100.0);
}

void SimulatedPc::setJoystickB(double xPercent, double yPercent) {
    axisPercent_[2] = std::clamp(xPercent, 0.0, 100.0);
    axisPercent_[3] = std::clamp(yPercent, 0.0, 100.0);
}

void SimulatedPc::insertPlug(LoopbackPlug plug) {
    printer_ = false;
    plug_.clear();
    // Every plug has its wiring here, not only in the program's table: a
    // plug added there without one here does not compile.
    const std::array<std::array<int, 2>, 5>* pins = nullptr;
    switch (plug) {
    case LoopbackPlug::Control:
        pins = &kControlLoopPins;
        break;
    case LoopbackPlug::Data:
        pins = &kDataLoopPins;
        break;
    }
    if (pins == nullptr)
        return;
    for (const auto& [output, input] : *pins)
        plug_.push_back({output, input});
}

bool SimulatedPc::breakWire(int pinA, int pinB) {
    for (PlugWire& wire : plug_) {
        if ((wire.outputPin == pinA && wire.inputPin == pinB) ||
            (wire.outputPin == pinB && wire.inputPin == pinA)) {
            wire.broken = true;
            return true;
        }
    }
    return false;
}

bool SimulatedPc::addFault(const PinFault& fault) {
    const bool input = std::any_of(kStatusInputs.begin(), kStatusInputs.end(),
                                   [&](const StatusInput& i) { return i.pin == fault.pin; });
    if (!input)
        return false;
    std::erase_if(faults_, [&](const PinFault& f) { return f.pin == fault.pin; });
    faults_.push_back(fault);
    return true;
}

// Each drop fault draws once a read (splitmix64), whether or not it then
// reads wrong, so that a pin's wrong reads do not depend on the others'.
std::uint8_t SimulatedPc::withFaults(std::uint8_t status) {
    for (const PinFault& fault : faults_) {
        const auto input = std::find_if(kStatusInputs.begin(), kStatusInputs.end(),
                                        [&](const StatusInput& i) { return i.pin == fault.pin; });
        const auto bit = static_cast<std::uint8_t>(1u << input->bit);
        bool level = HasBit(status, input->bit) != input->inverted;
        if (fault.kind == PinFault::Kind::Drop) {
            std::uint64_t z = (faultState_ += 0x9e37'79b9'7f4a'7c15ULL);
            z = (z ^ (z >> 30)) * 0xbf58'476d'1ce4'e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d0'49bb'1331'11ebULL;
            z ^= z >> 31;
            if (static_cast<double>(z >> 11) * 0x1.0p-53 < fault.share)
                level = !level;
        } else {
            level = fault.kind == PinFault::Kind::StuckHigh;
        }
        status = static_cast<std::uint8_t>(level != input->inverted ? status | bit : status & ~bit);
    }
    return status;
}

void SimulatedPc::write(std::uint16_t port, std::uint8_t value) {
    int offset = 0;
    if (ParallelPort* parallel = parallelAt(port, offset)) {
        if (offset == kDataOffset)
            parallel->dataLatch = value;
        else if (offset == kControlOffset)
            writeControl(*parallel, value);
        else if (parallel->epp && (value & kStatusEppTimeout) != 0)
            parallel->eppTimeout = false;
        return;
    }
    if (ParallelPort* ecp = ecpPortWithEcrAt(port)) {
        ecp->ecr = static_cast<std::uint8_t>(value & ~kEcrFifoBits);
        return;
    }
    if (IsGamePort(port)) {
        axisTimersStarted_ = clock_();
        axisTimersRunning_ = true;
    }
}

void SimulatedPc::writeControl(ParallelPort& port, std::uint8_t value) {
    const bool strobe = (value & kControlStrobe) != 0 && (port.control & kControlStrobe) == 0;
    port.control = static_cast<std::uint8_t>(value & kControlStoredBits);
    if (!strobe || !printer_ || &port != &parallel_[0])
        return;
    // A busy printer lets a strobe pass by, as a real one does: the program
    // is to wait for Busy to fall first.
    if (lastStrobe_ && clock_() - *lastStrobe_ < kPrinterBusyLength)
        return;
    printed_.push_back((port.control & kControlDataInput) != 0 ? kDataLinesNothingAttached
                                                               : port.dataLatch);
    // The printer's answer is timed from the end of the write, as a real
    // printer sees the strobe once the port has set it: the first byte's
    // memory may take the system microseconds to give (a recording's new
    // thread gets a new arena), and timed from before that a recording that
    // starts with the strobe missed the Ack pulse.
    lastStrobe_ = clock_();
}

HeldReader SimulatedPc::heldReader(std::span<const std::uint16_t> /*ports*/) {
    return {[](void* pc, std::uint16_t port) {
                return static_cast<SimulatedPc*>(pc)->SimulatedPc::read(port);
            },
            this};
}

HeldWriter SimulatedPc::heldWriter(std::span<const std::uint16_t> /*ports*/) {
    return {[](void* pc, std::uint16_t port, std::uint8_t value) {
                static_cast<SimulatedPc*>(pc)->SimulatedPc::write(port, value);
            },
            this};
}

std::string SimulatedPc::describe() const {
    return "simulerad PC (--simulate)";
}

} // namespace portprov
