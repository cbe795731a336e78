// SPDX-License-Identifier: MIT
#include "widgets/ClassicWrapLabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

// A word and the run of spaces in front of it.
struct Word {
    qsizetype spacesBefore = 0;
    QString text;
};

QList<Word> SplitWords(const QString& text) {
    QList<Word> words;
    qsizetype pos = 0;
    while (pos < text.size()) {
        Word word;
        for (; pos < text.size() && text.at(pos) == QLatin1Char(' '); ++pos)
            ++word.spacesBefore;
        for (; pos < text.size() && text.at(pos) != QLatin1Char(' '); ++pos)
            word.text.append(text.at(pos));
        if (!word.text.isEmpty())
            words.append(word);
    }
    return words;
}

// Puts a word too wide for any line on as many lines as it needs.
void BreakLongWord(const QString& word, const ClassicTextMetrics& metrics, qreal width,
                   QStringList& lines, QString& line) {
    for (const QChar c : word) {
        if (!line.isEmpty() && metrics.wordWidth(line + c) > width) {
            lines.append(line);
            line.clear();
        }
        line.append(c);
    }
}

// The spaces of our font are narrower than the hint's space runs were laid
// out for; laid out a little wider, each run breaks its line where intended.
constexpr qreal kSpaceEm = 4.25 / 11.0;

} // namespace

qreal ClassicTextMetrics::lineWidth(const QString& line) const {
    qreal total = 0;
    for (const Word& word : SplitWords(line))
        total += static_cast<qreal>(word.spacesBefore) * spaceWidth + wordWidth(word.text);
    return total;
}

QStringList WrapLikeClassicLabel(const QString& text, const ClassicTextMetrics& metrics,
                                 qreal width) {
    QStringList lines;
    QString line;
    for (const Word& word : SplitWords(text)) {
        if (!line.isEmpty()) {
            const QString longer = line + QString(word.spacesBefore, QLatin1Char(' ')) + word.text;
            if (metrics.lineWidth(longer) <= width) {
                line = longer;
                continue;
            }
            lines.append(line);
            line.clear();
        }
        if (metrics.wordWidth(word.text) <= width)
            line = word.text;
        else
            BreakLongWord(word.text, metrics, width, lines, line);
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

ClassicTextMetrics ClassicWrapLabel::textMetrics() const {
    const QFontMetricsF fontMetrics(font());
    const qreal em = font().pixelSize() > 0 ? font().pixelSize() : fontMetrics.height();
    return {[fontMetrics](const QString& word) { return fontMetrics.horizontalAdvance(word); },
            std::max(fontMetrics.horizontalAdvance(QLatin1Char(' ')), em * kSpaceEm)};
}

QStringList ClassicWrapLabel::wrappedLines() const {
    return WrapLikeClassicLabel(text(), textMetrics(), contentsRect().width());
}

void ClassicWrapLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    const ClassicTextMetrics metrics = textMetrics();
    const QFontMetricsF fontMetrics(font());
    const QRectF area = contentsRect();
    qreal baseline = area.top() + fontMetrics.ascent();
    for (const QString& line : wrappedLines()) {
        qreal x = area.left();
        for (const Word& word : SplitWords(line)) {
            x += static_cast<qreal>(word.spacesBefore) * metrics.spaceWidth;
            painter.drawText(QPointF(x, baseline), word.text);
            x += metrics.wordWidth(word.text);
        }
        baseline += fontMetrics.height();
    }
}
