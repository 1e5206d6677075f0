#pragma once
#include "platform/Bundle.h"

#include <QString>

class NotificationCenter;

// The program's notifications: low disk space (with a clean-up action) and the result of a
// scheduled cleanup. Without a bundle identifier (a build run outside an application bundle)
// every call does nothing.
namespace Notifier {

inline const QString kLowSpaceCategory = QStringLiteral("LOWSPACE");
inline const QString kCleanNowAction = QStringLiteral("CLEAN_NOW");
inline const QString kLowSpaceRequest = QStringLiteral("dustlet.lowspace");
inline const QString kAutoCleanupRequest = QStringLiteral("dustlet.autocleanup");

// Registers the "LOWSPACE" category with its "Clean Up Now" action and asks for permission.
void requestAuthorization(NotificationCenter& center, const QString& bundleIdentifier = Bundle::identifier());
void notifyLowSpace(NotificationCenter& center, qint64 availableBytes,
                    const QString& bundleIdentifier = Bundle::identifier());
// Also posted when nothing was freed.
void notifyAutoCleanup(NotificationCenter& center, qint64 freed,
                       const QString& bundleIdentifier = Bundle::identifier());
// A scheduled cleanup in which a target failed, after freeing `freed` bytes (0: nothing went);
// `what` says what failed.
void notifyAutoCleanupFailed(NotificationCenter& center, qint64 freed, const QString& what,
                             const QString& bundleIdentifier = Bundle::identifier());

} // namespace Notifier
