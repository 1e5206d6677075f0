#include "platform/RawPath.h"

namespace RawPath {
namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + the byte (0x80..0xFF): a lone low surrogate

// Length of the well-formed UTF-8 sequence at s[i] and its code point, or 0 when the byte at
// s[i] starts none (the table of well-formed byte sequences: no overlong forms, no surrogates,
// nothing above U+10FFFF).
int sequenceAt(QByteArrayView s, qsizetype i, char32_t& cp)
{
    const auto at = [&](qsizetype k) { return k < s.size() ? uchar(s[k]) : 0u; };
    const uint b0 = at(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    const auto in = [](uint b, uint lo, uint hi) { return b >= lo && b <= hi; };
    int length = 0;
    uint lo = 0x80, hi = 0xBF; // bounds of the second byte
    if (in(b0, 0xC2, 0xDF)) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (in(b0, 0xE0, 0xEF)) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (in(b0, 0xF0, 0xF4)) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const uint b = at(i + k);
        if (i + k >= s.size() || !(k == 1 ? in(b, lo, hi) : in(b, 0x80, 0xBF)))
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return length;
}

bool isAscii(QByteArrayView s)
{
    for (const char c : s)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

// Decodes `raw`, putting `bad(byte)` in place of every byte outside a well-formed sequence.
template <typename Bad>
QString decode(QByteArrayView raw, Bad bad)
{
    if (isAscii(raw))
        return QString::fromLatin1(raw);
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size();) {
        char32_t cp = 0;
        const int n = sequenceAt(raw, i, cp);
        if (n == 0) {
            out.append(bad(uchar(raw[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += n;
    }
    return out;
}

} // namespace

bool roundTrips(QByteArrayView raw)
{
    for (qsizetype i = 0; i < raw.size();) {
        char32_t cp = 0;
        const int n = sequenceAt(raw, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

QString display(QByteArrayView raw)
{
    return decode(raw, [](uchar) { return QChar(QChar::ReplacementCharacter); });
}

QString key(QByteArrayView raw)
{
    return decode(raw, [](uchar b) { return QChar(char16_t(kEscapeBase + b)); });
}

QByteArray fromKey(QStringView key)
{
    QByteArray out;
    out.reserve(key.size());
    qsizetype runStart = 0; // start of the current run of ordinary text
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            out.append(key.mid(runStart, end - runStart).toUtf8());
    };
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char16_t u = key[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < key.size() && QChar::isLowSurrogate(key[i + 1].unicode())) {
            ++i; // a pair: one ordinary character
            continue;
        }
        if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            flush(i);
            out.append(char(u - kEscapeBase));
            runStart = i + 1;
        }
    }
    flush(key.size());
    return out;
}

} // namespace RawPath
