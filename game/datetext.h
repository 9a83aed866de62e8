#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// The locale's short date, but always with the whole year: 07/12/2026 in
// Italian, 12/7/2026 in American English, never a two-digit 26.
QString shortDateText(const QDate &date, const QLocale &locale);
