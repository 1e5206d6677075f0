#include "services/Notifier.h"

#include "platform/ByteCountFormatter.h"
#include "platform/NotificationCenter.h"

#include <QCoreApplication>

namespace Notifier {

void requestAuthorization(NotificationCenter& center, const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty())
        return;
    const NotificationCenter::Action cleanNow{kCleanNowAction, QCoreApplication::translate("Notifier", "Clean Up Now"),
                                              /*foreground=*/true};
    center.setCategories({NotificationCenter::Category{kLowSpaceCategory, {cleanNow}}});
    center.requestAuthorization();
}

void notifyLowSpace(NotificationCenter& center, qint64 availableBytes, const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty())
        return;
    NotificationCenter::Content content;
    content.title = QCoreApplication::translate("Notifier", "Low disk space");
    content.body = QCoreApplication::translate("Notifier", "Only %1 available. Tap “Clean Up Now” to free up space.")
                       .arg(formatBytes(availableBytes));
    content.sound = true;
    content.categoryIdentifier = kLowSpaceCategory;
    center.add(kLowSpaceRequest, content);
}

void notifyAutoCleanup(NotificationCenter& center, qint64 freed, const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty())
        return;
    NotificationCenter::Content content;
    content.title = QCoreApplication::translate("Notifier", "Dustlet cleaned up");
    content.body = freed < 1
        ? QCoreApplication::translate("Notifier", "Nothing to clean \u2014 you're already tidy.")
        : QCoreApplication::translate("Notifier", "Freed %1 automatically. Items are in the Trash.")
              .arg(formatBytes(freed));
    center.add(kAutoCleanupRequest, content);
}

void notifyAutoCleanupFailed(NotificationCenter& center, qint64 freed, const QString& what,
                             const QString& bundleIdentifier)
{
    if (bundleIdentifier.isEmpty())
        return;
    NotificationCenter::Content content;
    if (freed < 1) {
        content.title = QCoreApplication::translate("Notifier", "Dustlet couldn't clean up");
        content.body = QCoreApplication::translate("Notifier", "Couldn't clean up: %1").arg(what);
    } else {
        content.title = QCoreApplication::translate("Notifier", "Dustlet couldn't clean up everything");
        content.body = QCoreApplication::translate("Notifier", "Freed %1 automatically; couldn't clean up: %2")
                           .arg(formatBytes(freed), what);
    }
    center.add(kAutoCleanupRequest, content);
}

} // namespace Notifier
