#include "datetext.h"

#include <QRegularExpression>

QString shortDateText(const QDate &date, const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // A run of "y" shorter than four is widened; "yyyy" is left alone.
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)y{1,3}(?!y)"));
    format.replace(shortYear, QStringLiteral("yyyy"));
    return locale.toString(date, format);
}
