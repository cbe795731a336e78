// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QStringList>

#include <functional>

// How wide words and spaces are when a classic label lays out its lines.
struct ClassicTextMetrics {
    std::function<qreal(const QString& word)> wordWidth;
    qreal spaceWidth = 0;

    // Width of a line of words and spaces, as it is painted.
    qreal lineWidth(const QString& line) const;
};

// Breaks text into lines the way a classic word-wrapping label does: a word
// goes on the current line if the line, the spaces before the word and the
// word all fit the width; otherwise a new line starts with the word and the
// spaces at the break are dropped. Runs of spaces therefore push the next word
// to a new line, which is how a hint text is laid out in groups. A word wider
// than the whole line is broken between characters.
QStringList WrapLikeClassicLabel(const QString& text, const ClassicTextMetrics& metrics,
                                 qreal width);

// A label that paints its text wrapped as above, top-left aligned, while text()
// stays the exact string it was given.
class ClassicWrapLabel : public QLabel {
public:
    using QLabel::QLabel;

    ClassicTextMetrics textMetrics() const;
    QStringList wrappedLines() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
