#include "platform/ByteCountFormatter.h"

#include <cmath>
#include <cstdlib>

QString formatBytes(qint64 bytes)
{
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    const bool negative = bytes < 0;
    const double magnitude = std::fabs(static_cast<double>(bytes));
    const QString sign = negative ? QStringLiteral("-") : QString();
    if (magnitude < 1000) {
        const qint64 n = std::llabs(bytes);
        return sign + QString::number(n) + (n == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    }

    struct Unit { const char* name; int digits; };
    static constexpr Unit units[] = {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}};
    constexpr int last = int(std::size(units)) - 1;

    double value = magnitude / 1000.0;
    int u = 0;
    for (;;) {
        const double scale = std::pow(10.0, units[u].digits);
        const double rounded = std::round(value * scale) / scale;
        // 999,999 bytes round to "1,000 KB": show the next unit instead.
        if (rounded >= 1000.0 && u < last) {
            value /= 1000.0;
            ++u;
            continue;
        }
        QString text = QString::number(rounded, 'f', units[u].digits);
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.')))
                text.chop(1);
        }
        return sign + text + QLatin1Char(' ') + QLatin1String(units[u].name);
    }
}
