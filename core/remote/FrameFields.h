// SPDX-License-Identifier: MIT
#pragma once

#include "loopback/Plugs.h"
#include "remote/HelperProtocol.h"

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

// Each frame's fields are declared once, in order and with their bounds
// (HelperRequests.cpp, HelperAnswers.cpp, GeneratorFrames.cpp), as a function
// template run with a Writer, to encode a message, or with a Reader, to parse
// one. A declaration takes its message as `Of<T> auto&`: const for the writer.
// The writer ignores the bounds; the reader checks every one and marks the
// frame bad, never throwing, so the helper can refuse it whole.
namespace portprov::helper_protocol {

template <class T, class U>
concept Of = std::same_as<std::remove_const_t<T>, U>;

inline constexpr std::uint64_t kAny = ~std::uint64_t{0};
inline constexpr std::uint64_t kHighestPort = 65535;
// A base whose three registers are all addresses.
inline constexpr std::uint64_t kHighestBase = 65533;

template <class... F> struct Overloaded : F... {
    using F::operator()...;
};
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// A field as its bits on the pipe, and back: a time as its count of
// nanoseconds, a real number as its IEEE bits, an enumeration as its number.
template <class T> std::uint64_t BitsOf(const T& value) {
    if constexpr (std::is_same_v<T, double>)
        return std::bit_cast<std::uint64_t>(value);
    else if constexpr (requires { value.count(); })
        return static_cast<std::uint64_t>(value.count());
    else
        return static_cast<std::uint64_t>(value);
}
template <class T> T FromBits(std::uint64_t bits) {
    if constexpr (std::is_same_v<T, double>)
        return std::bit_cast<double>(bits);
    else if constexpr (requires { typename T::rep; })
        return T(static_cast<typename T::rep>(bits));
    else if constexpr (std::is_same_v<T, bool>)
        return bits != 0;
    else
        return static_cast<T>(bits);
}

// Little-endian fields into a frame's payload. Text longer than the room
// left is cut at a character's start, so that what arrives is still UTF-8.
class Writer {
public:
    explicit Writer(Kind kind) : kind_(kind) {}

    template <class T> void u8(const T& field, std::uint64_t = kAny) { put(BitsOf(field), 1); }
    template <class T> void u16(const T& field, std::uint64_t = kAny) { put(BitsOf(field), 2); }
    template <class T> void u32(const T& field, std::uint64_t = kAny) { put(BitsOf(field), 4); }
    template <class T> void u64(const T& field, std::uint64_t = kAny) { put(BitsOf(field), 8); }
    template <class T> void i64(const T& field) { put(BitsOf(field), 8); }
    void f64(double field) { put(BitsOf(field), 8); }
    void flag(bool field) { put(field, 1); }
    void text(const std::string& value) {
        std::size_t size = std::min(value.size(), kPayloadSize - used_ - 2);
        while (size > 0 && size < value.size() &&
               (static_cast<unsigned char>(value[size]) & 0xC0) == 0x80)
            --size;
        put(size, 2);
        std::copy_n(value.begin(), size, frame_.begin() + kHeaderSize + used_);
        used_ += size;
    }
    void require(bool /*condition*/) {}
    // A field the frame does not carry, which the reader sets from others.
    template <class T, class U> void derived(const T& /*field*/, const U& /*value*/) {}

    // Its count in `bytes`, then each item: declare(item, its index).
    template <class T, class Declare>
    void sequence(const std::vector<T>& items, std::size_t bytes, std::size_t /*lowest*/,
                  std::size_t /*highest*/, Declare declare) {
        put(items.size(), bytes);
        for (std::size_t i = 0; i < items.size(); ++i)
            declare(items[i], i);
    }
    // A flag, then the value, or T{} when there is none: declare(value, present).
    template <class T, class Declare> void optional(const std::optional<T>& field, Declare declare) {
        flag(field.has_value());
        const T value = field.value_or(T{});
        declare(value, field.has_value());
    }
    // A flag, then the value only when there is one.
    template <class T, class Declare> void present(const std::optional<T>& field, Declare declare) {
        flag(field.has_value());
        if (field)
            declare(*field);
    }
    // The alternative's index in one byte, then its own fields (std::visit).
    template <class... T, class Declare>
    void alternative(const std::variant<T...>& field, Declare declare) {
        put(field.index(), 1);
        std::visit(declare, field);
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

// The default value of a variant's alternative at index (below its size).
template <class V, std::size_t... I> V AlternativeAt(std::size_t index, std::index_sequence<I...>) {
    static constexpr V (*kMake[])() = {[]() -> V { return std::variant_alternative_t<I, V>{}; }...};
    return kMake[index]();
}

// Reads the fields back; any read past the payload, or a value out of its
// range, marks the frame bad instead of throwing. A count out of range never
// reads more items than its highest.
class Reader {
public:
    Reader(const Frame& frame, std::size_t size) : frame_(frame), size_(size) {}

    template <class T> void u8(T& field, std::uint64_t highest = kAny) { number(field, 1, highest); }
    template <class T> void u16(T& field, std::uint64_t highest = kAny) { number(field, 2, highest); }
    template <class T> void u32(T& field, std::uint64_t highest = kAny) { number(field, 4, highest); }
    template <class T> void u64(T& field, std::uint64_t highest = kAny) { number(field, 8, highest); }
    template <class T> void i64(T& field) { number(field, 8, kAny); }
    void f64(double& field) { number(field, 8, kAny); }
    void flag(bool& field) { number(field, 1, 1); }
    void text(std::string& field) {
        const std::size_t size = get(2);
        if (!ok_ || used_ + size > size_) {
            ok_ = false;
            return;
        }
        field.assign(frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + used_),
                     frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + used_ + size));
        used_ += size;
    }
    void require(bool condition) { ok_ = ok_ && condition; }
    template <class T, class U> void derived(T& field, const U& value) { field = value; }

    template <class T, class Declare>
    void sequence(std::vector<T>& items, std::size_t bytes, std::size_t lowest,
                  std::size_t highest, Declare declare) {
        const std::size_t count = check(get(bytes), highest);
        require(count >= lowest);
        for (std::size_t i = 0; i < count && i < highest; ++i) {
            T item{};
            declare(item, i);
            items.push_back(std::move(item));
        }
    }
    template <class T, class Declare> void optional(std::optional<T>& field, Declare declare) {
        bool present = false;
        flag(present);
        T value{};
        declare(value, present);
        if (present)
            field = std::move(value);
    }
    template <class T, class Declare> void present(std::optional<T>& field, Declare declare) {
        bool present = false;
        flag(present);
        if (present)
            declare(field.emplace());
    }
    template <class... T, class Declare> void alternative(std::variant<T...>& field, Declare declare) {
        // An index past the alternatives fails the frame; the last one is read then.
        const std::size_t index = std::min(check(get(1), sizeof...(T) - 1), sizeof...(T) - 1);
        field = AlternativeAt<std::variant<T...>>(index, std::index_sequence_for<T...>{});
        std::visit(declare, field);
    }

    // Every byte of the payload read, and nothing but zeros after it.
    bool whole() const {
        return ok_ && used_ == size_ &&
               std::all_of(frame_.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + size_),
                           frame_.end(), [](std::uint8_t byte) { return byte == 0; });
    }

private:
    template <class T> void number(T& field, std::size_t bytes, std::uint64_t highest) {
        field = FromBits<T>(check(get(bytes), highest));
    }
    std::uint64_t check(std::uint64_t value, std::uint64_t highest) {
        if (value > highest)
            ok_ = false;
        return value;
    }
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

// A message whose kind has a declaration (Declared) as a frame, and back, or
// why its frame is refused: unknown, a kind not of this direction; wrong, a
// field past its bounds or the payload not read exactly.
template <class Message> Frame EncodeDeclared(const Message& message) {
    Writer out(message.kind);
    Declared(out, message);
    return out.finish();
}
template <class Message>
std::variant<Message, Refusal> ParseDeclared(const Frame& frame, const char* unknown,
                                             const char* wrong) {
    const auto header = ReadHeader(frame);
    if (const auto* refusal = std::get_if<Refusal>(&header))
        return *refusal;
    const auto [kind, size] = std::get<std::pair<Kind, std::size_t>>(header);
    Reader in(frame, size);
    Message message;
    message.kind = kind;
    if (!Declared(in, message))
        return Refusal{unknown};
    if (!in.whole())
        return Refusal{wrong};
    return message;
}

// A loopback plug, sent as its row in kPlugs. A row past the table fails the
// frame; the plug read then is never used.
template <class Io> void PlugField(Io& io, Of<LoopbackPlug> auto& plug) {
    std::size_t row = IndexOf(plug);
    io.u8(row, kPlugs.size() - 1);
    io.derived(plug, PlugAt(row).value_or(LoopbackPlug::Control));
}

// The declarations that frames of more than one kind share, each made for the
// Writer and the Reader where it is defined: a recording's options (Record,
// and Generate with a recording) and its end (Recorded, and Generated with a
// recording) in HelperRequests.cpp and HelperAnswers.cpp; a signal's request,
// its played changes that follow it, and its end in GeneratorFrames.cpp.
template <class Io> void RecordFields(Io& io, Of<RecorderOptions> auto& options);
template <class Io> void EndFields(Io& io, Of<RecordedEnd> auto& end);
template <class Io> void GenerateFields(Io& io, Of<Request> auto& request);
template <class Io> void PlayedChangesFields(Io& io, Of<Request> auto& request);
template <class Io> void GeneratedFields(Io& io, Of<Answer> auto& answer);

} // namespace portprov::helper_protocol
