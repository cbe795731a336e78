// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <cstddef>
#include <mutex>
#include <vector>

namespace portprov {

// A recording's changes on their way out of the recorder's thread while it
// records, so that the process that records need not keep them all to the
// end: the helper portprov-io sends them on to the window as they come (a
// 100 kHz signal brings 200 000 changes a second, for up to a day). The
// recorder hands them over a batch at a time, another thread takes them.
// What waits is bounded: when the taker falls more than mostWaiting changes
// behind, the hand-over is refused and the recording ends there, as when
// memory runs out (RecordingStats::outOfMemory).
class ChangeStream {
public:
    static constexpr std::size_t kBatch = 1024;
    static constexpr std::size_t kMostWaiting = std::size_t{1} << 20; // 16 MiB

    explicit ChangeStream(std::size_t batch = kBatch, std::size_t mostWaiting = kMostWaiting)
        : batch_(batch), mostWaiting_(mostWaiting) {}

    // Changes the recorder gathers before it hands them over.
    std::size_t batch() const { return batch_; }
    // The recorder's thread: moves every change out of `changes`, or leaves
    // them there and gives false when so many would then wait.
    bool handOver(std::vector<Recording::Change>& changes);
    // Another thread: what was handed over since the last take, in order.
    std::vector<Recording::Change> take();
    // The most changes that waited at once.
    std::size_t mostWaited() const;

private:
    const std::size_t batch_;
    const std::size_t mostWaiting_;
    mutable std::mutex mutex_;
    std::vector<Recording::Change> waiting_;
    std::size_t mostWaited_ = 0;
};

} // namespace portprov
