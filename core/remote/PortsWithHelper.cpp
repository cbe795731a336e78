// SPDX-License-Identifier: MIT
#include "remote/PortsWithHelper.h"

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
        helper_ ? helper_->describe()
                : "hjälpprogrammet " + helperPath_ +
                      ", som ensamt bär rätten till portarna och startas vid första åtkomsten";
    if (!here_)
        return helper;
    return here_->describe() + "; andra adresser genom " + helper;
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
