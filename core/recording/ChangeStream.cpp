// SPDX-License-Identifier: MIT
#include "recording/ChangeStream.h"

#include <algorithm>

namespace portprov {

bool ChangeStream::handOver(std::vector<Recording::Change>& changes) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (waiting_.size() + changes.size() > mostWaiting_)
        return false;
    // Copied, not swapped: the recorder's vector keeps its room for the next
    // batch, and its thread does not stop to grow it again.
    waiting_.insert(waiting_.end(), changes.begin(), changes.end());
    changes.clear();
    mostWaited_ = std::max(mostWaited_, waiting_.size());
    return true;
}

std::vector<Recording::Change> ChangeStream::take() {
    std::vector<Recording::Change> taken;
    const std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(waiting_);
    return taken;
}

std::size_t ChangeStream::mostWaited() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return mostWaited_;
}

} // namespace portprov
