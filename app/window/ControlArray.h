// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cassert>

// A control array: controls of one kind under one name, indexed from First to
// Last inclusive, like lblBin(1..9) or Lpt(1..25) (the pin number).
template <typename Control, int First, int Last> class ControlArray {
public:
    static constexpr int kFirst = First;
    static constexpr int kLast = Last;

    Control*& operator[](int index) {
        assert(index >= First && index <= Last);
        return controls_[static_cast<std::size_t>(index - First)];
    }
    Control* operator[](int index) const {
        assert(index >= First && index <= Last);
        return controls_[static_cast<std::size_t>(index - First)];
    }

private:
    std::array<Control*, Last - First + 1> controls_{};
};
