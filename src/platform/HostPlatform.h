#pragma once
#include <QtGlobal>

// Which platform's tables (catalog locations, protected places) apply. Code that differs by
// platform takes this as a value, so both tables are built and tested on every platform; the
// program itself uses hostPlatform().
enum class HostPlatform { macOS, other };

constexpr HostPlatform hostPlatform()
{
#ifdef Q_OS_MACOS
    return HostPlatform::macOS;
#else
    return HostPlatform::other;
#endif
}
