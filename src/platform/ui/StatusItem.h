#pragma once
#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class QSystemTrayIcon;

// The program's item in the menu bar (macOS) or system tray (elsewhere): an icon, a short text
// and a click. Where the tray shows no text (Linux) the text becomes the tooltip.
class StatusItem : public QObject {
    Q_OBJECT
public:
    explicit StatusItem(QObject* parent = nullptr);
    ~StatusItem() override;

    // Whether the desktop offers a place for the item at all.
    static bool isAvailable();

    void setIcon(const QIcon& icon);
    QIcon icon() const { return m_icon; }
    // The text beside the icon; none shows the icon alone.
    void setText(const std::optional<QString>& text);
    std::optional<QString> text() const { return m_text; }
    // What hovering the item shows.
    QString toolTip() const;

    void show();
    bool isVisible() const;

    // The item's frame on screen, when the desktop tells it.
    std::optional<QRect> frame() const;

Q_SIGNALS:
    void clicked();

private:
    void apply();

    QIcon m_icon;
    std::optional<QString> m_text;
    bool m_shown = false;
#ifdef Q_OS_MACOS
    struct Mac;
    std::unique_ptr<Mac> m_mac;
#else
    QSystemTrayIcon* m_tray = nullptr;
#endif
};
