#pragma once

#include <QByteArray>
#include <QString>

// The record files' text: single-byte Windows-1252. A character it cannot
// hold becomes "?"; the five bytes the code page leaves undefined read as the
// C1 code point of the same value, so every byte survives a read and a rewrite.
QByteArray toWindows1252(const QString &text);
QString fromWindows1252(const QByteArray &bytes);
