// SPDX-License-Identifier: MIT
#include "remote/PortsWithHelper.h"

#include "ports/linux/LinuxMessages.h"

#include <utility>

namespace portprov {

PortsWithHelper::PortsWithHelper(std::unique_ptr<PortBackend> here,
                                 std::function<bool(std::uint16_t)> covers,
                                 std::string helperPath, Starter start)
    : here_(std::move(here)), covers_(std::move(covers)), helperPath_(std::move(helperPath)),
      start_(std::move(start)) {}

std::string PortsWithHelper::describe() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::string helper =
        helper_ ? helper_->describe() : linux_messages::HelperNotStartedDescription(helperPath_);
    if (!here_)
        return helper;
    return linux_messages::HereAndHelperDescription(here_->describe(), helper);
}

PortBackend& PortsWithHelper::to(std::uint16_t port) {
    if (here_ && covers_(port))
        return *here_;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!helper_)
        helper_ = start_(helperPath_);
    return *helper_;
}

} // namespace portprov
