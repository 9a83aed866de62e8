#pragma once

#include <QString>

// Who holds each score the record saver writes, so that a test can tell a
// score from a holder saved with another one.
inline QString holderOf(int score)
{
    return score > 0 ? QStringLiteral("Giocatore %1").arg(score) : QString();
}
