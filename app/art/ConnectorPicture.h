// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>

// The picture box with the front of the 25-pin connector: a sunken 2-pixel
// border around the painted connector drawing. It takes the keyboard focus in
// its turn. The pin lamps are its children, placed by the window.
class ConnectorPicture : public QFrame {
public:
    explicit ConnectorPicture(QWidget* parent = nullptr);

    // Where the lamp of a pin (1 to 25) goes, in this widget's coordinates.
    QPoint lampTopLeft(int pin) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
