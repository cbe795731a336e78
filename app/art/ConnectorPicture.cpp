// SPDX-License-Identifier: MIT
#include "art/ConnectorPicture.h"

#include "art/ConnectorDrawing.h"

#include <QPainter>

ConnectorPicture::ConnectorPicture(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

QPoint ConnectorPicture::lampTopLeft(int pin) const {
    return contentsRect().topLeft() + connector::LampTopLeft(pin);
}

void ConnectorPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(contentsRect());
    painter.translate(contentsRect().topLeft());
    connector::PaintConnector(painter);
}
