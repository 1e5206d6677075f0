#include "platform/DesktopLocale.h"

#include <QtGlobal>

QLocale desktopFormatsLocale(HostPlatform platform)
{
    if (platform == HostPlatform::macOS)
        return QLocale::system();
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return QLocale(value); // "de_DE.UTF-8", "C.UTF-8": the codeset is ignored
    }
    return QLocale::c();
}
