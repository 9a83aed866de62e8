#pragma once

#include <QColor>
#include <QtGlobal>

// The game's colours are packed 0x00BBGGRR, red in the low byte.
constexpr QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
