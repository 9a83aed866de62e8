#pragma once

#include "captionlabel.h"

// A label that fits its size to its caption whenever the caption changes:
// its text in the label's font (one line per line break) plus the frame, the top-left corner
// staying put. An empty caption leaves just the frame.
//
// QLabel::setText is not virtual: set the caption through an AutoSizeLabel
// pointer, or the size will not follow.
class AutoSizeLabel : public CaptionLabel
{
    Q_OBJECT

public:
    explicit AutoSizeLabel(QWidget *parent = nullptr);

    void setText(const QString &text);

    // The size that fits the current caption.
    QSize fittingSize() const;
};
