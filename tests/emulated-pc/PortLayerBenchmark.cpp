// SPDX-License-Identifier: MIT
// What the program's own port layer costs on the machine it runs on, without
// any port: DlPortReadPortUchar and DlPortWritePortUchar bound to a backend
// that does nothing, beside a plain virtual call of that backend. The
// difference is what the layer adds to every real port access.
//
//   build/test/tests/emulated-pc/port_layer_benchmark

#include "ports/PortIo.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

class IdlePorts : public portprov::PortBackend {
public:
    std::uint8_t read(std::uint16_t port) override { return static_cast<std::uint8_t>(port); }
    void write(std::uint16_t port, std::uint8_t value) override { last_ = port ^ value; }
    std::string describe() const override { return "ingen port"; }

private:
    unsigned last_ = 0;
};

void BareVirtualRead(benchmark::State& state) {
    const std::unique_ptr<portprov::PortBackend> ports = std::make_unique<IdlePorts>();
    portprov::PortBackend* volatile backend = ports.get();
    for (auto _ : state) {
        benchmark::DoNotOptimize(backend->read(888));
    }
}
BENCHMARK(BareVirtualRead);

void BareVirtualWrite(benchmark::State& state) {
    const std::unique_ptr<portprov::PortBackend> ports = std::make_unique<IdlePorts>();
    portprov::PortBackend* volatile backend = ports.get();
    std::uint8_t value = 0;
    for (auto _ : state) {
        backend->write(888, value++);
    }
}
BENCHMARK(BareVirtualWrite);

void DlPortRead(benchmark::State& state) {
    portprov::SelectPortBackend([] { return std::make_unique<IdlePorts>(); });
    for (auto _ : state) {
        benchmark::DoNotOptimize(portprov::DlPortReadPortUchar(888));
    }
    portprov::SelectPortBackend({});
}
BENCHMARK(DlPortRead);

void DlPortWrite(benchmark::State& state) {
    portprov::SelectPortBackend([] { return std::make_unique<IdlePorts>(); });
    std::int32_t value = 0;
    for (auto _ : state) {
        portprov::DlPortWritePortUchar(888, value++);
    }
    portprov::SelectPortBackend({});
}
BENCHMARK(DlPortWrite);

} // namespace

BENCHMARK_MAIN();
