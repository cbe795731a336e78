// SPDX-License-Identifier: MIT
#pragma once

#include "window/ControlArray.h"

#include <QObject>

#include <functional>

class QFrame;
class QLabel;
class QWidget;

// The pins of the connector drawing as something to act on: a click on a
// pin's contact, or Space on the pin the arrow keys have moved to, asks for
// that pin to be set (the window decides what that does), and hovering over a
// pin shows its tooltip. The drawing is one tab stop; inside it a yellow
// square around the lamp shows which pin has the keyboard. The lamps stay
// the window's: this only listens to the drawing and asks the window what
// to do and to tell.
class ConnectorPins : public QObject {
public:
    using Click = std::function<void(int pin)>;
    using Describe = std::function<QString(int pin)>;

    // Installs itself on picture, which holds lamps; owned by picture.
    ConnectorPins(QWidget* picture, const ControlArray<QLabel, 1, 25>& lamps, Click click,
                  Describe describe);

    // Does what a click on pin does.
    void click(int pin) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The pin whose contact covers point (in picture's coordinates), 0 for none.
    int pinAt(const QPoint& point) const;
    void moveFocus(int pin);
    void placeMarker();

    QWidget* picture_;
    const ControlArray<QLabel, 1, 25>& lamps_;
    Click click_;
    Describe describe_;
    QFrame* marker_; // the square around the focused pin
    int focusedPin_ = 1;
};

// Lets a screen reader press the pin lamps of every ConnectorPins: each lamp
// is a button with a press ("click") action. Call once, before the window is
// shown.
void InstallPinAccessibility();
