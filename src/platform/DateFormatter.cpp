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

QString shortTimeFormat(const QLocale& locale)
{
    // Some locales' short time format carries seconds; the system's short style never does.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral(R"([:.]s{1,2}\b)"));
    format.remove(seconds);
    return format;
}

QString formatMediumDateShortTime(const QDateTime& when, const QLocale& locale)
{
    return locale.toString(when.date(), mediumDateFormat(locale)) + QLatin1Char(' ')
        + locale.toString(when.time(), shortTimeFormat(locale));
}
