#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QMenu;
class StatusItem;
namespace ScreenFit {
class Holder;
}

// The menu-bar extra: the status item, and the panel it shows under the icon when clicked (a
// frameless popup). Where the desktop has no tray at all, the panel opens as a normal window at
// launch instead and is the program: closing it quits, unless a tray has come up meanwhile, whose
// icon then takes over.
class MenuBarExtra : public QObject {
    Q_OBJECT
public:
    explicit MenuBarExtra(std::function<QWidget*()> panelContent, QObject* parent = nullptr);
    ~MenuBarExtra() override;

    StatusItem& statusItem() const { return *m_item; }
    // The icon's menu: "Open Dustlet" and "Quit" (several trays offer only a menu).
    QMenu* menu() const { return m_menu; }

    // Shows the status item, or with no tray the panel window.
    void show(bool trayAvailable);

    // Shows or hides the panel under the icon (a click on the icon).
    void togglePanel();
    void showPanel();
    QWidget* panel() const { return m_panel; }
    bool isPanelVisible() const { return m_panel && m_panel->isVisible(); }
    // The panel's frame while it is shown as a window of its own (no tray), for windows that
    // open from it to keep clear of.
    std::optional<QRect> panelWindowFrame() const;

    // How the program ends and how a tray is looked for (tests hand in their own).
    void setQuit(std::function<void()> quit) { m_quit = std::move(quit); }
    void setTrayAvailable(std::function<bool()> available) { m_trayAvailable = std::move(available); }
    bool isTrayAvailable() const { return m_trayAvailable && m_trayAvailable(); }
    // Where the icon is on screen, as the status item tells it (tests hand in their own).
    void setIconFrame(std::function<std::optional<QRect>()> frame) { m_iconFrame = std::move(frame); }
    std::optional<QRect> iconFrame() const;

    // Where a panel of `size` goes for an icon at `icon` on a screen with `area`: under the
    // icon, centred on it, or above it when the icon is at the bottom; always on the screen.
    static QPoint panelPosition(const std::optional<QRect>& icon, const QSize& size, const QRect& area);
    // The largest panel that goes there without covering the icon.
    static QSize panelRoom(const std::optional<QRect>& icon, const QRect& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* ensurePanel(bool asWindow);

    StatusItem* m_item;
    QMenu* m_menu;
    std::function<QWidget*()> m_panelContent;
    QPointer<QWidget> m_panel;
    ScreenFit::Holder* m_holder = nullptr; // the panel's content, held to the screen
    bool m_panelIsWindow = false;
    bool m_inTray = true;
    std::function<void()> m_quit;
    std::function<bool()> m_trayAvailable;
    std::function<std::optional<QRect>()> m_iconFrame;
};
