#pragma once
#include <QIcon>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

// The menu-bar status item on macOS: an image with a title beside it, and a click action.
class StatusItemMac {
public:
    explicit StatusItemMac(std::function<void()> onClick);
    ~StatusItemMac();
    void show();
    void update(const QIcon& icon, const QString& title, const QString& toolTip);
    std::optional<QRect> frame() const;

private:
    void* m_item = nullptr;     // NSStatusItem
    void* m_target = nullptr;   // click target
};
