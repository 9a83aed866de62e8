#include "autosizelabel.h"

AutoSizeLabel::AutoSizeLabel(QWidget *parent) : QLabel(parent)
{
    // A framed QLabel otherwise indents its text by half an "x", which the
    // fitted width would cut off.
    setIndent(0);
}

void AutoSizeLabel::setText(const QString &text)
{
    QLabel::setText(text);
    resize(fittingSize());
}

QSize AutoSizeLabel::fittingSize() const
{
    const QFontMetrics metrics(font());
    const int edges = 2 * (frameWidth() + margin());
    return {metrics.horizontalAdvance(text()) + edges, metrics.height() + edges};
}
