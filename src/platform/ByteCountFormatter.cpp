#include "platform/ByteCountFormatter.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

struct Unit {
    const char* name;
    double scale;
    int digits; // fraction digits shown (trailing zeros dropped)
};

// Formats in the largest unit not above the value (the first unit for smaller values), moving
// up a unit when rounding reaches 1,000 ("999,999 bytes" is "1 MB", not "1,000 KB").
template <size_t N>
QString formatIn(qint64 bytes, const Unit (&units)[N])
{
    const double magnitude = std::fabs(static_cast<double>(bytes));
    size_t u = 0;
    while (u + 1 < N && magnitude >= units[u + 1].scale)
        ++u;
    double rounded = 0;
    for (;;) {
        const double factor = std::pow(10.0, units[u].digits);
        rounded = std::round(magnitude / units[u].scale * factor) / factor;
        if (rounded >= 1000.0 && u + 1 < N) {
            ++u;
            continue;
        }
        break;
    }
    QString text = QString::number(rounded, 'f', units[u].digits);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    // The decimal separator of the interface's locale ("1,5 MB" in German).
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    if (bytes < 0 && rounded > 0)
        text.prepend(QLatin1Char('-'));
    return text + QLatin1Char(' ') + QLatin1String(units[u].name);
}

} // namespace

QString formatBytes(qint64 bytes)
{
    if (bytes == 0)
        return QCoreApplication::translate("ByteCountFormatter", "Zero KB");
    if (std::llabs(bytes) < 1000) {
        const qint64 n = std::llabs(bytes);
        // Two texts rather than a suffix, so that each language words its own plural.
        const QString count = (n == 1 ? QCoreApplication::translate("ByteCountFormatter", "%1 byte")
                                      : QCoreApplication::translate("ByteCountFormatter", "%1 bytes"))
                                  .arg(n);
        return (bytes < 0 ? QStringLiteral("-") : QString()) + count;
    }
    static constexpr Unit units[] = {{"KB", 1e3, 0},  {"MB", 1e6, 1},  {"GB", 1e9, 2},
                                     {"TB", 1e12, 2}, {"PB", 1e15, 2}, {"EB", 1e18, 2}};
    return formatIn(bytes, units);
}

QString formatBytesMegabytesUp(qint64 bytes)
{
    static constexpr Unit units[] = {{"MB", 1e6, 1}, {"GB", 1e9, 2}, {"TB", 1e12, 2}};
    return formatIn(bytes, units);
}
