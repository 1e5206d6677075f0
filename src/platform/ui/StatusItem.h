#pragma once
#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;

// The program's item in the menu bar (macOS) or system tray (elsewhere): an icon, a short text,
// a tooltip, a click and a context menu. Where the tray shows no text (Linux) the tooltip says
// what the text would.
class StatusItem : public QObject {
    Q_OBJECT
public:
    explicit StatusItem(QObject* parent = nullptr);
    ~StatusItem() override;

    // Whether the desktop offers a place for the item at all.
    static bool isAvailable();
    // Whether the item's image is a template that the system colours for its bar (macOS), rather
    // than one drawn to read on any bar.
    static bool usesTemplateImage();

    void setIcon(const QIcon& icon);
    QIcon icon() const { return m_icon; }
    // The text beside the icon; none shows the icon alone.
    void setText(const std::optional<QString>& text);
    std::optional<QString> text() const { return m_text; }
    // What hovering the item shows; the program's name until one is set.
    void setToolTip(const QString& toolTip);
    QString toolTip() const;
    // The menu of a right click (and of trays that offer only a menu). Not owned.
    void setContextMenu(QMenu* menu);
    QMenu* contextMenu() const { return m_menu; }

    void show();
    bool isVisible() const;

    // The item's frame on screen, when the desktop tells it.
    std::optional<QRect> frame() const;

Q_SIGNALS:
    // One click on the item. A double click counts once: its first click has already come.
    void clicked();

private:
    void apply();

    QIcon m_icon;
    std::optional<QString> m_text;
    QString m_toolTip;
    QMenu* m_menu = nullptr;
    bool m_shown = false;
#ifdef Q_OS_MACOS
    struct Mac;
    std::unique_ptr<Mac> m_mac;
#else
    QSystemTrayIcon* m_tray = nullptr;
    qint64 m_lastTrigger = -1; // ms since the epoch of the last single click
#endif
};
