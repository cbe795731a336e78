// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace portprov {

// How late a signal's writes went out: the worst, the median and how many
// were later than a bound, in fixed memory however many writes there are.
// The median is kept to 10 ns up to 100 µs and to 10 µs up to 100 ms.
class LatenessTally {
public:
    using nanoseconds = std::chrono::nanoseconds;

    explicit LatenessTally(nanoseconds lateAfter) : lateAfter_(lateAfter), counts_(kBuckets, 0) {}

    void add(nanoseconds lateness) {
        const std::int64_t ns = lateness.count() < 0 ? 0 : lateness.count();
        ++counts_[bucketOf(ns)];
        ++writes_;
        if (lateness > worst_)
            worst_ = lateness;
        if (lateness > lateAfter_)
            ++late_;
    }

    std::uint64_t writes() const { return writes_; }
    std::uint64_t late() const { return late_; }
    nanoseconds worst() const { return worst_; }
    nanoseconds median() const;

private:
    static constexpr std::int64_t kFineEnd = 100'000;       // 10 ns buckets below this
    static constexpr std::int64_t kCoarseEnd = 100'000'000; // 10 µs buckets below this
    static constexpr std::size_t kFine = kFineEnd / 10;
    static constexpr std::size_t kBuckets = kFine + (kCoarseEnd - kFineEnd) / 10'000 + 1;

    static std::size_t bucketOf(std::int64_t ns) {
        if (ns < kFineEnd)
            return static_cast<std::size_t>(ns / 10);
        if (ns < kCoarseEnd)
            return kFine + static_cast<std::size_t>((ns - kFineEnd) / 10'000);
        return kBuckets - 1;
    }

    nanoseconds lateAfter_;
    std::vector<std::uint64_t> counts_;
    std::uint64_t writes_ = 0;
    std::uint64_t late_ = 0;
    nanoseconds worst_{};
};

inline std::chrono::nanoseconds LatenessTally::median() const {
    if (writes_ == 0)
        return {};
    const std::uint64_t half = (writes_ + 1) / 2;
    std::uint64_t seen = 0;
    for (std::size_t b = 0; b < kBuckets; ++b) {
        seen += counts_[b];
        if (seen < half)
            continue;
        if (b < kFine)
            return nanoseconds(static_cast<std::int64_t>(b) * 10);
        if (b + 1 < kBuckets)
            return nanoseconds(kFineEnd + static_cast<std::int64_t>(b - kFine) * 10'000);
        return worst_;
    }
    return worst_;
}

} // namespace portprov
