// SPDX-License-Identifier: MIT
// Where the tools that wait on the port (Spela in…, Signalgenerator…) first
// open: beside the window's address and value boxes and their buttons, never
// over them, so that a user can write to the port while a recording waits
// for its edge (12 to 890, say). They are windows of their own, which a
// window manager does not keep above the window: a click on the window brings
// it forward.
#include "window/frmPortCom.h"

#include "widgets/DialogPlacement.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace {

// The window manager's frame around a window it has framed.
QMargins FrameOf(const QWidget* window) {
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(),
            outer.right() - inner.right(), outer.bottom() - inner.bottom()};
}

} // namespace

void frmPortCom::PlaceBesideBoxes(QWidget* dialog, const std::function<void(bool)>& narrow) {
    dialog->setWindowFlags((dialog->windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
    dialog->winId();
    if (QWindow* handle = dialog->windowHandle())
        handle->setTransientParent(nullptr);
    const QScreen* screen = this->screen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins frame = FrameOf(this);
    const auto place = [&] {
        QRect boxes;
        for (const QWidget* control : std::initializer_list<const QWidget*>{
                 Command1, Text1, Command2, Text2, Command3})
            boxes |= QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
        // The size the dialog chose for itself, or the one it asks for.
        const QSize preferred =
            dialog->testAttribute(Qt::WA_Resized) ? dialog->size() : dialog->sizeHint();
        const QSize smallest = dialog->minimumSize().expandedTo(dialog->minimumSizeHint());
        return PlaceClearOf(available, boxes, preferred.grownBy(frame),
                            smallest.grownBy(frame));
    };
    std::optional<QRect> room = place();
    if (!room && narrow) {
        narrow(true);
        room = place();
    }
    // A small screen: the window goes to its left edge, to make room on its
    // right.
    if (!room && isVisible()) {
        move(available.left(), pos().y());
        room = place();
    }
    if (!room) {
        // Nowhere clear of the boxes: the dialog as it would be anywhere.
        if (narrow)
            narrow(false);
        return;
    }
    dialog->resize(room->size().shrunkBy(frame));
    dialog->move(room->topLeft());
}
