#include "autosizelabel.h"

AutoSizeLabel::AutoSizeLabel(const QString &text, QWidget *parent) : CaptionLabel(text, parent)
{
    // A framed QLabel otherwise indents its text by half an "x", which the
    // fitted width would cut off.
    setIndent(0);
}

void AutoSizeLabel::fitToText()
{
    resize(fittingSize());
}

QSize AutoSizeLabel::fittingSize() const
{
    const QFontMetrics metrics(font());
    const int edges = 2 * (frameWidth() + margin());
    // Line breaks count: the record labels show their file's line, line end included.
    const QStringList lines = text().split(QLatin1Char('\n'));
    int width = 0;
    for (const QString &line : lines)
        width = qMax(width, metrics.horizontalAdvance(line));
    const int height = metrics.height() + int(lines.size() - 1) * metrics.lineSpacing();
    return {width + edges, height + edges};
}
