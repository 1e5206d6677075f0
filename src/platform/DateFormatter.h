#pragma once
#include <QDateTime>
#include <QLocale>
#include <QString>

// The system date formatter's medium date style ("Jan 2, 2024", "2. Jan. 2024") followed by its
// short time style ("3:04 PM", "15:04"), in `locale`. Qt has short and long date formats only;
// the medium one is the long one without the weekday and with the month abbreviated.
QString formatMediumDateShortTime(const QDateTime& when, const QLocale& locale = QLocale());

// The medium date format of `locale` in Qt's format syntax.
QString mediumDateFormat(const QLocale& locale);
// The short time format of `locale` in Qt's format syntax, without seconds.
QString shortTimeFormat(const QLocale& locale);
