#pragma once
#include <QIcon>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

// The menu-bar status item on macOS: a template image with a title beside it, a click action and
// a right-click action (the context menu).
class StatusItemMac {
public:
    StatusItemMac(std::function<void()> onClick, std::function<void()> onRightClick);
    ~StatusItemMac();
    void show();
    void update(const QIcon& icon, const QString& title, const QString& toolTip);
    std::optional<QRect> frame() const;

private:
    void* m_item = nullptr; // NSStatusItem
    void* m_target = nullptr; // click target
};
