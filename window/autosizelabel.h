#pragma once

#include "captionlabel.h"

// A label that can fit its size to its caption: its text in the label's font
// (one line per line break) plus the frame, the top-left corner staying put.
// An empty caption leaves just the frame.
//
// QLabel::setText is not virtual and QLabel sends no event when its text
// changes, so the label cannot notice a new caption by itself: whoever sets
// one calls fitToText() after it (Tavola::setLabelText does, for every label).
class AutoSizeLabel : public CaptionLabel
{
    Q_OBJECT

public:
    explicit AutoSizeLabel(const QString &text, QWidget *parent = nullptr);

    // Resizes the label to fittingSize().
    void fitToText();

    // The size that fits the current caption.
    QSize fittingSize() const;
};
