// SPDX-License-Identifier: MIT
#pragma once

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QString>

#include <optional>

// The number boxes of the dialogs. They read what the user types whatever
// the locale: "," or "." as the decimal sign, spaces between thousands, the
// unit optional. Qt's own box refuses each keystroke its locale cannot place:
// under a Swedish locale the "." of "0.5" was dropped and the box read 5.
// Here no keystroke is refused. A text the box cannot read (no number, more
// decimals than it keeps, outside its range) stays as typed and the box is
// marked once the user leaves it; the dialog then refuses to start, naming
// the box (UnreadableBoxRefusal). value() is the last number the box read.
template <typename Box> class TypedNumberBox : public Box {
public:
    TypedNumberBox();
    // Whether the text as it stands is a number the box takes.
    bool readable() const;
    // Shows the box marked as unreadable, or as a box like the others.
    void mark(bool unreadable);

protected:
    bool reads(const QString& text) const;
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
    // Qt's box puts its last number back in place of a text it cannot read
    // when it loses the focus, when the dialog loses the keyboard and when it
    // is hidden: these keep the text, so that what the user typed stays in
    // sight until it is mended.
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Enter on an unreadable text goes on to the dialog's default button,
    // which refuses it.
    void keyPressEvent(QKeyEvent* event) override;
};

class DecimalBox : public TypedNumberBox<QDoubleSpinBox> {
protected:
    double valueFromText(const QString& text) const override;
};

class WholeNumberBox : public TypedNumberBox<QSpinBox> {
protected:
    int valueFromText(const QString& text) const override;
};

// The number a box's text stands for, or nullopt: text with its suffix or
// without, at most `decimals` decimals after "," or ".", from lowest to
// highest.
std::optional<double> ReadBoxNumber(const QString& text, const QString& suffix, int decimals,
                                    double lowest, double highest);

// The first number box of the dialog, enabled and shown, that cannot read
// its text: marked and given the focus, and the Swedish refusal naming it by
// its accessible name. nullopt when every box reads its text.
std::optional<QString> UnreadableBoxRefusal(QWidget* dialog);
