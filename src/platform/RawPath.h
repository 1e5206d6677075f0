#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names are bytes, Qt's text is UTF-16. A name that is not well-formed UTF-8 does not survive
// a plain decode: each bad byte becomes U+FFFD, so "x\xff" and "x\xfe" both read "x\uFFFD", and
// that text, encoded again, names a third file (one literally called "x\uFFFD"). Whatever walks,
// hashes, moves or deletes keeps the bytes; these helpers give the two texts made from them.
namespace RawPath {

// True when `raw` is well-formed UTF-8, so that display(raw) encodes back to exactly `raw` and a
// path-taking call given that text reaches this item and no other.
bool roundTrips(QByteArrayView raw);

// The text to show: well-formed sequences decoded, every other byte shown as U+FFFD. Lossy when
// roundTrips() is false: never turn it back into a path then.
QString display(QByteArrayView raw);

// A text that is unique to `raw` and turns back into it (fromKey): equal to display(raw) when
// the bytes round-trip; otherwise every byte outside a well-formed sequence becomes the lone
// surrogate U+DC80..U+DCFF (which no well-formed name decodes to). Path prefixes carry over: the
// key of "a/b" is the key of "a", "/" and the key of "b". For keeping and comparing, not showing.
QString key(QByteArrayView raw);

// The bytes a key stands for (the inverse of key()); a text without escapes is simply encoded as
// UTF-8, so any ordinary path is its own key.
QByteArray fromKey(QStringView key);

} // namespace RawPath
