// SPDX-License-Identifier: MIT
#pragma once

#include "art/ConnectorPicture.h"

#include <functional>
#include <set>

// The connector drawing as a chooser of the pins a signal drives: a click on
// an output pin's contact chooses it or lets it go, and its lamp shows which
// (chosen red, choosable white, the rest grey). Input and ground pins take no
// click. It is the mouse's way only: the keyboard chooses in the list beside
// it, which the dialog keeps in step with it.
class PinPicker : public ConnectorPicture {
public:
    explicit PinPicker(QWidget* parent = nullptr);

    const std::set<int>& chosen() const { return chosen_; }
    // Chooses or lets go of an output pin, without telling; others are ignored.
    void setChosen(int pin, bool chosen);
    // Called when a click has chosen or let go of a pin.
    std::function<void(int pin, bool chosen)> toggled;

    // The pin whose contact covers point, 0 for none; and the middle of a
    // pin's lamp, both in this widget's coordinates.
    int pinAt(const QPoint& point) const;
    QPoint pinCentre(int pin) const;

protected:
    // A pin's tooltip names it, and says whether a signal can drive it.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::set<int> chosen_;
};
