// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// The image beside the connector that explains the lamp colours.
class LegendImage : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
