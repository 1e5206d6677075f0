#pragma once
#include "platform/HostPlatform.h"

#include <QLocale>

// The locale the desktop formats numbers and dates in. Off macOS Qt's system locale is no guide
// to its language: it takes its name from the message languages ($LANGUAGE) while its numbers and
// dates follow LC_ALL, LC_NUMERIC or LANG, so with LANGUAGE=de and LANG=C.UTF-8 it calls itself
// German and writes "50.89". Here that is the locale LC_ALL, LC_NUMERIC or LANG names (the first
// one set; the POSIX locale when none is). On macOS the system locale is the formats' own.
QLocale desktopFormatsLocale(HostPlatform platform = hostPlatform());
