#include "platform/DateFormatter.h"

#include <QRegularExpression>

QString mediumDateFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    // The weekday goes with the separators that tie it to the rest ("dddd, " or ", dddd").
    static const QRegularExpression weekday(QStringLiteral(R"([\s,]*\bdddd\b[\s,]*)"));
    const QRegularExpressionMatch m = weekday.match(format);
    if (m.hasMatch()) {
        const bool atEdge = m.capturedStart() == 0 || m.capturedEnd() == format.size();
        format.replace(m.capturedStart(), m.capturedLength(), atEdge ? QString() : QStringLiteral(" "));
    }
    static const QRegularExpression fullMonth(QStringLiteral(R"(\bMMMM\b)"));
    format.replace(fullMonth, QStringLiteral("MMM"));
    return format.trimmed();
}

QString formatMediumDateShortTime(const QDateTime& when, const QLocale& locale)
{
    return locale.toString(when.date(), mediumDateFormat(locale)) + QLatin1Char(' ')
           + locale.toString(when.time(), QLocale::ShortFormat);
}
