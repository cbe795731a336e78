// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace portprov {

// The line printed for a byte read on the command line:
//   "888: 85 01010101 stift 9=låg 8=hög 7=låg 6=hög 5=låg 4=hög 3=låg 2=hög"
//   "889: 223 11011111 stift 11=låg 10=hög 12=låg 13=hög 15=hög"
// the address and the byte in decimal, the byte in binary (bit 7 first) and,
// for a register of a parallel port, the pins of its bits, in the order of
// the bits, each at its level on the connector (hög or låg; busy and the
// inverted control lines are the opposite of their bit). The control register
// adds the direction text: "...; D0 - D7 står i Läsläge  bit 5 Hög". The
// register is the one RegisterShownAt names for the reported parallelBases.
std::string ReadReport(std::uint16_t port, std::uint8_t byte,
                       std::span<const std::uint16_t> parallelBases);

} // namespace portprov
