#include "platform/Bundle.h"

#ifndef DUSTLET_BUNDLE_ID
#define DUSTLET_BUNDLE_ID "app.dustlet.Dustlet"
#endif
#ifndef DUSTLET_BUILD
#define DUSTLET_BUILD "1"
#endif
#ifndef DUSTLET_FEED_URL
#define DUSTLET_FEED_URL ""
#endif

namespace Bundle {
QString identifier() { return QStringLiteral(DUSTLET_BUNDLE_ID); }
QString shortVersion() { return QStringLiteral(DUSTLET_VERSION); }
QString build() { return QStringLiteral(DUSTLET_BUILD); }
QString feedURL() { return QStringLiteral(DUSTLET_FEED_URL); }
} // namespace Bundle
