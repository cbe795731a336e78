// SPDX-License-Identifier: MIT
#include "window/ConnectorPins.h"

#include "art/ConnectorPicture.h"
#include "pins/TogglePin.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolTip>

#include <utility>

namespace {

constexpr int kFirstPin = 1;
constexpr int kLastTopPin = 13;
constexpr int kFirstBottomPin = 14;
constexpr int kLastPin = 25;
// The bottom row sits half a pitch to the right: pin n + 13 is just right of
// pin n, so up from 14 is 1 and down from 13 is 25.
constexpr int kRowShift = kFirstBottomPin - kFirstPin;
// A contact answers a click a little around its lamp: the pitch wide, so that
// every point between two lamps belongs to one, and as tall as a row.
constexpr int kContactWidth = 12;
constexpr int kContactHeight = 16;
// The focus square lies 2 pixels outside the lamp, on the dark socket, in the
// yellow of the window's own labels so that it shows there.
constexpr int kMarkerMargin = 2;

int Clamp(int pin, int first, int last) {
    return pin < first ? first : pin > last ? last : pin;
}

// The first and last pin of the row pin is on.
std::pair<int, int> RowOf(int pin) {
    return pin <= kLastTopPin ? std::pair{kFirstPin, kLastTopPin}
                              : std::pair{kFirstBottomPin, kLastPin};
}

// The pin of a lamp of the connector drawing ("Lpt4" in it), 0 for any other
// object. Told by name and place, not by its ConnectorPins: a lamp's
// accessible object is made as soon as the lamp is named, before that exists.
int PinOfLamp(const QObject* object) {
    if (!object || !qobject_cast<const QLabel*>(object) ||
        !dynamic_cast<const ConnectorPicture*>(object->parent()))
        return 0;
    const QString name = object->objectName();
    bool number = false;
    const int pin = name.startsWith(QStringLiteral("Lpt")) ? name.mid(3).toInt(&number) : 0;
    return number && pin >= kFirstPin && pin <= kLastPin ? pin : 0;
}

// The pin an arrow key moves the keyboard to from pin: along its row,
// stopping at the row's ends (pin 13 ends the top row; it is no way to 14),
// or to the other row. Any other key leaves the pin where it is.
int PinAfterArrow(int pin, int key) {
    // Every answer is clamped into the connector: the lamps are indexed by
    // it, and one before pin 1 or after pin 25 is no lamp at all.
    pin = Clamp(pin, kFirstPin, kLastPin);
    const auto [first, last] = RowOf(pin);
    switch (key) {
    case Qt::Key_Left:
        return Clamp(pin - 1, first, last);
    case Qt::Key_Right:
        return Clamp(pin + 1, first, last);
    case Qt::Key_Down:
        return first == kFirstPin ? Clamp(pin + kRowShift, kFirstBottomPin, kLastPin) : pin;
    case Qt::Key_Up:
        return first == kFirstBottomPin ? Clamp(pin - kRowShift, kFirstPin, kLastTopPin) : pin;
    default:
        return pin;
    }
}

const QString kClickAction = QStringLiteral("click");

// A pin lamp to a screen reader: a button that sets its pin.
// (QAccessibleWidget is already its own action interface.)
class PinLampAccessible : public QAccessibleWidget {
public:
    PinLampAccessible(QWidget* lamp, int pin)
        : QAccessibleWidget(lamp, QAccessible::Button), pin_(pin) {}

    // "click", as toolkits name it to Linux screen readers, and Qt's own
    // press, which Windows' UI Automation invokes: both set the pin.
    QStringList actionNames() const override { return {kClickAction, pressAction()}; }
    QString localizedActionDescription(const QString& action) const override {
        return actionNames().contains(action) ? QString::fromUtf8("Byter stiftets nivå")
                                              : QString();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& action) override {
        if (!actionNames().contains(action))
            return;
        for (QObject* child : object()->parent()->children())
            if (const auto* pins = dynamic_cast<const ConnectorPins*>(child))
                pins->click(pin_);
    }

private:
    int pin_;
};

QAccessibleInterface* PinLampFactory(const QString&, QObject* object) {
    const int pin = PinOfLamp(object);
    // Only the pins a press can set are buttons; the others stay lamps.
    if (pin != 0 && portprov::IsSettablePin(pin))
        return new PinLampAccessible(static_cast<QWidget*>(object), pin);
    return nullptr;
}

} // namespace

ConnectorPins::ConnectorPins(QWidget* picture, const ControlArray<QLabel, 1, 25>& lamps,
                             Click click, Describe describe)
    : QObject(picture), picture_(picture), lamps_(lamps), click_(std::move(click)),
      describe_(std::move(describe)), marker_(new QFrame(picture)) {
    marker_->setObjectName(QStringLiteral("PinFocus"));
    marker_->setAccessibleName(QString::fromUtf8("Tangentbordets stift"));
    marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker_->setStyleSheet(QStringLiteral("border: 1px solid #ffff00; background: transparent;"));
    marker_->hide();
    picture->installEventFilter(this);
}

int ConnectorPins::pinAt(const QPoint& point) const {
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        const QPoint centre = lamps_[pin]->geometry().center();
        QRect contact(0, 0, kContactWidth, kContactHeight);
        contact.moveCenter(centre);
        if (contact.contains(point))
            return pin;
    }
    return 0;
}

void ConnectorPins::click(int pin) const {
    if (pin >= kFirstPin && pin <= kLastPin && click_)
        click_(pin);
}

bool ConnectorPins::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picture_)
        return false;
    switch (event->type()) {
    // The second press of a quick double click comes as a double click: it
    // turns the line round again, as a second click would.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int pin = pinAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || pin == 0)
            return false;
        moveFocus(pin);
        click(pin);
        return true;
    }
    case QEvent::ToolTip: {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int pin = pinAt(help->pos());
        if (pin == 0 || !describe_)
            return false;
        // A tooltip is made from what the window has shown and read: it never
        // reads a port.
        QToolTip::showText(help->globalPos(), describe_(pin), picture_,
                           lamps_[pin]->geometry().adjusted(-4, -4, 4, 4));
        return true;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        switch (key->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            moveFocus(PinAfterArrow(focusedPin_, key->key()));
            return true;
        case Qt::Key_Space:
            click(focusedPin_);
            return true;
        default:
            return false;
        }
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        placeMarker();
        return false;
    default:
        return false;
    }
}

void ConnectorPins::moveFocus(int pin) {
    focusedPin_ = pin;
    placeMarker();
    if (picture_->hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent focus(lamps_[pin], QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void ConnectorPins::placeMarker() {
    marker_->setVisible(picture_->hasFocus());
    marker_->setGeometry(lamps_[focusedPin_]->geometry().adjusted(-kMarkerMargin, -kMarkerMargin,
                                                                  kMarkerMargin, kMarkerMargin));
    marker_->stackUnder(lamps_[focusedPin_]);
}

void InstallPinAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(PinLampFactory);
        return true;
    }();
    (void)installed;
}
