// SPDX-License-Identifier: MIT
#include "widgets/TypedNumberBoxes.h"

#include "input/Conversions.h"
#include "widgets/SwedishNumbers.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

// The marked box's background: a pale red, under black text.
const QColor kUnreadable(255, 200, 200);

// Decimals written after the decimal sign, trailing zeros not counted.
int DecimalsOf(const QString& number) {
    const qsizetype sign = std::max(number.lastIndexOf(QLatin1Char(',')),
                                    number.lastIndexOf(QLatin1Char('.')));
    if (sign < 0)
        return 0;
    QString fraction = number.mid(sign + 1);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return static_cast<int>(fraction.size());
}

// A limit as a Swedish reads it: "0,001", "86 400".
QString Limit(double value) {
    return SwedishNumbers().toString(value, 'g', 15);
}

} // namespace

std::optional<double> ReadBoxNumber(const QString& text, const QString& suffix, int decimals,
                                    double lowest, double highest) {
    QString number = text.trimmed();
    const QString unit = suffix.trimmed();
    if (!unit.isEmpty() && number.endsWith(unit))
        number.chop(unit.size());
    // The spaces a box puts between thousands, and those a user types.
    for (const QChar space : {QChar(u' '), QChar(0x00A0), QChar(0x202F)})
        number.remove(space);
    if (DecimalsOf(number) > decimals)
        return std::nullopt;
    // "," is the box's own decimal sign; "." is read as one in every locale.
    const std::optional<double> value =
        portprov::ReadNumber(number.toStdString(), portprov::NumberFormat{","});
    if (!value || !(*value >= lowest && *value <= highest))
        return std::nullopt;
    return value;
}

template <typename Box> TypedNumberBox<Box>::TypedNumberBox() {
    ShowSwedishNumbers(this);
    QObject::connect(this->lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (readable())
            mark(false);
    });
}

template <typename Box> bool TypedNumberBox<Box>::reads(const QString& text) const {
    int decimals = 0;
    if constexpr (std::is_same_v<Box, QDoubleSpinBox>)
        decimals = this->decimals();
    return ReadBoxNumber(text, this->suffix(), decimals, static_cast<double>(this->minimum()),
                         static_cast<double>(this->maximum()))
        .has_value();
}

template <typename Box> bool TypedNumberBox<Box>::readable() const {
    return reads(this->text());
}

template <typename Box> void TypedNumberBox<Box>::mark(bool unreadable) {
    QPalette colours = this->palette();
    colours.setColor(QPalette::Base, unreadable ? kUnreadable : QPalette().color(QPalette::Base));
    this->setPalette(colours);
    this->setProperty("unreadable", unreadable);
}

template <typename Box>
QValidator::State TypedNumberBox<Box>::validate(QString& text, int& /*pos*/) const {
    return reads(text) ? QValidator::Acceptable : QValidator::Intermediate;
}

template <typename Box> void TypedNumberBox<Box>::fixup(QString& /*text*/) const {}

template <typename Box> void TypedNumberBox<Box>::focusOutEvent(QFocusEvent* event) {
    if (readable()) {
        Box::focusOutEvent(event);
        return;
    }
    mark(true);
    static_cast<QObject*>(this->lineEdit())->event(event);
    QWidget::focusOutEvent(event);
}

template <typename Box> void TypedNumberBox<Box>::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !readable()) {
        QWidget::changeEvent(event);
        return;
    }
    Box::changeEvent(event);
}

template <typename Box> void TypedNumberBox<Box>::hideEvent(QHideEvent* event) {
    if (!readable()) {
        QWidget::hideEvent(event);
        return;
    }
    Box::hideEvent(event);
}

template <typename Box> void TypedNumberBox<Box>::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !readable()) {
        mark(true);
        event->ignore();
        return;
    }
    Box::keyPressEvent(event);
}

template class TypedNumberBox<QDoubleSpinBox>;
template class TypedNumberBox<QSpinBox>;

double DecimalBox::valueFromText(const QString& text) const {
    return ReadBoxNumber(text, suffix(), decimals(), minimum(), maximum()).value_or(value());
}

int WholeNumberBox::valueFromText(const QString& text) const {
    const std::optional<double> number = ReadBoxNumber(text, suffix(), 0, minimum(), maximum());
    return number ? static_cast<int>(std::lround(*number)) : value();
}

std::optional<QString> UnreadableBoxRefusal(QWidget* dialog) {
    // Every unreadable box is marked; the first is named and given the focus.
    QAbstractSpinBox* first = nullptr;
    double lowest = 0.0;
    double highest = 0.0;
    const auto check = [&](auto* box) {
        if (box == nullptr || !box->isEnabled() || !box->isVisibleTo(dialog) || box->readable())
            return;
        box->mark(true);
        if (first == nullptr)
            first = box, lowest = box->minimum(), highest = box->maximum();
    };
    for (QAbstractSpinBox* box : dialog->findChildren<QAbstractSpinBox*>()) {
        check(dynamic_cast<TypedNumberBox<QDoubleSpinBox>*>(box));
        check(dynamic_cast<TypedNumberBox<QSpinBox>*>(box));
    }
    if (first == nullptr)
        return std::nullopt;
    first->setFocus(Qt::OtherFocusReason);
    return QString::fromUtf8("%1: ”%2” går inte att läsa. Skriv ett tal från %3 till %4.")
        .arg(first->accessibleName(), first->text().trimmed(), Limit(lowest), Limit(highest));
}
