// SPDX-License-Identifier: MIT
#pragma once

#include "remote/HelperProtocol.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

// The fields of a frame, shared by the requests (HelperRequests.cpp) and the
// answers (HelperAnswers.cpp): writing them, reading them back with every
// bound checked, and the header in front of them (HelperProtocol.cpp).
namespace portprov::helper_protocol {

// Little-endian fields into a frame's payload. Text longer than the room
// left is cut at a character's start, so that what arrives is still UTF-8.
class Writer {
public:
    explicit Writer(Kind kind) : kind_(kind) {}

    void u8(std::uint64_t value) { put(value, 1); }
    void u16(std::uint64_t value) { put(value, 2); }
    void u32(std::uint64_t value) { put(value, 4); }
    void u64(std::uint64_t value) { put(value, 8); }
    void i64(std::int64_t value) { u64(static_cast<std::uint64_t>(value)); }
    void f64(double value) { u64(std::bit_cast<std::uint64_t>(value)); }
    void text(const std::string& value) {
        std::size_t size = std::min(value.size(), kPayloadSize - used_ - 2);
        while (size > 0 && size < value.size() &&
               (static_cast<unsigned char>(value[size]) & 0xC0) == 0x80)
            --size;
        u16(size);
        std::copy_n(value.begin(), size, frame_.begin() + kHeaderSize + used_);
        used_ += size;
    }

    Frame finish() {
        Frame frame = frame_;
        std::size_t at = 0;
        const auto field = [&](std::uint64_t value, std::size_t bytes) {
            for (std::size_t i = 0; i < bytes; ++i)
                frame[at++] = static_cast<std::uint8_t>(value >> (8 * i));
        };
        field(kMagic, 4);
        field(kVersion, 2);
        field(static_cast<std::uint16_t>(kind_), 2);
        field(used_, 4);
        return frame;
    }

private:
    void put(std::uint64_t value, std::size_t bytes) {
        if (used_ + bytes > kPayloadSize)
            throw std::logic_error("helper_protocol: a message larger than its frame");
        for (std::size_t i = 0; i < bytes; ++i)
            frame_[kHeaderSize + used_++] = static_cast<std::uint8_t>(value >> (8 * i));
    }

    Kind kind_;
    Frame frame_{};
    std::size_t used_ = 0;
};

// Reads the fields back; any read past the payload, or a value out of its
// range, marks the frame bad instead of throwing.
class Reader {
public:
    Reader(const Frame& frame, std::size_t size) : frame_(frame), size_(size) {}

    std::uint64_t u8() { return get(1); }
    std::uint64_t u16() { return get(2); }
    std::uint64_t u32() { return get(4); }
    std::uint64_t u64() { return get(8); }
    std::int64_t i64() { return static_cast<std::int64_t>(get(8)); }
    double f64() { return std::bit_cast<double>(get(8)); }
    bool flag() { return check(u8(), 1) != 0; }
    std::string text() {
        const std::size_t size = u16();
        if (!ok_ || used_ + size > size_) {
            ok_ = false;
            return {};
        }
        std::string value(frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + used_),
                          frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + used_ + size));
        used_ += size;
        return value;
    }
    // value, or marks the frame bad when it is above highest.
    std::uint64_t check(std::uint64_t value, std::uint64_t highest) {
        if (value > highest)
            ok_ = false;
        return value;
    }
    void require(bool condition) { ok_ = ok_ && condition; }
    // Every byte of the payload read, and nothing but zeros after it.
    bool whole() const {
        return ok_ && used_ == size_ &&
               std::all_of(frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + size_),
                           frame_.end(), [](std::uint8_t byte) { return byte == 0; });
    }

private:
    std::uint64_t get(std::size_t bytes) {
        if (!ok_ || used_ + bytes > size_) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            value |= std::uint64_t{frame_[kHeaderSize + used_++]} << (8 * i);
        return value;
    }

    const Frame& frame_;
    std::size_t size_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

// The header's kind and payload size, or why the frame is none of ours.
std::variant<std::pair<Kind, std::size_t>, Refusal> ReadHeader(const Frame& frame);

// A port's address.
std::uint16_t Port(Reader& in);
// A base whose three registers are all addresses.
std::uint16_t Base(Reader& in);
// A loopback plug, sent as its row in kPlugs.
void WritePlug(Writer& out, LoopbackPlug plug);
LoopbackPlug ReadPlug(Reader& in);

// A recording's options (Record, and Generate with a recording), and the
// end of a recording (Recorded, and Generated with a recording).
void WriteRecord(Writer& out, const RecorderOptions& options);
RecorderOptions ReadRecord(Reader& in);
void WriteEnd(Writer& out, const RecordedEnd& end);
void ReadEnd(Reader& in, RecordedEnd& end);

// A signal's request, its played changes that follow it, and its end
// (GeneratorFrames.cpp).
void WriteGenerate(Writer& out, const Request& request);
void ReadGenerate(Reader& in, Request& request);
void WritePlayedChanges(Writer& out, const Request& request);
void ReadPlayedChanges(Reader& in, Request& request);
void WriteGenerated(Writer& out, const Answer& answer);
void ReadGenerated(Reader& in, Answer& answer);

} // namespace portprov::helper_protocol
