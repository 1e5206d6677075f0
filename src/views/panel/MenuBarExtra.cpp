#include "views/panel/MenuBarExtra.h"

#include "platform/ui/Activation.h"
#include "platform/ui/StatusItem.h"
#include "views/components/ScreenFit.h"
#include "views/components/WindowCenterer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QStyleHints>

#include <algorithm>

namespace {

// The panel under the icon. Like any popup it closes on a click outside it, except for the
// second click of a double click on the icon that opened it: a double click opens it once.
class PanelPopup : public QWidget {
public:
    explicit PanelPopup(std::function<std::optional<QRect>()> iconFrame)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), m_iconFrame(std::move(iconFrame))
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        m_shown.start();
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        const std::optional<QRect> icon = m_iconFrame ? m_iconFrame() : std::nullopt;
        const bool onIcon = icon && icon->contains(event->globalPosition().toPoint());
        if (onIcon && m_shown.isValid()
            && m_shown.elapsed() <= QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
            event->accept();
            return;
        }
        QWidget::mousePressEvent(event);
    }

private:
    std::function<std::optional<QRect>()> m_iconFrame;
    QElapsedTimer m_shown;
};

} // namespace

MenuBarExtra::MenuBarExtra(std::function<QWidget*()> panelContent, QObject* parent)
    : QObject(parent),
      m_item(new StatusItem(this)),
      m_panelContent(std::move(panelContent)),
      m_quit([] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); }),
      m_trayAvailable(&StatusItem::isAvailable)
{
    connect(m_item, &StatusItem::clicked, this, [this] {
        // A click on the icon: there is a tray (also when there was none at launch).
        m_inTray = true;
        togglePanel();
    });
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    QAction* open = m_menu->addAction(tr("Open Dustlet"));
    connect(open, &QAction::triggered, this, [this] {
        m_inTray = true; // the menu came from the icon
        showPanel();
    });
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(tr("Quit"));
    connect(quit, &QAction::triggered, this, [this] {
        if (m_quit)
            m_quit();
    });
    m_item->setContextMenu(m_menu);
}

MenuBarExtra::~MenuBarExtra()
{
    m_item->setContextMenu(nullptr);
    delete m_menu;
    delete m_panel.data();
}

void MenuBarExtra::show(bool trayAvailable)
{
    m_inTray = trayAvailable;
    // Also without a tray: one that comes up later (a session still starting its panel) shows the
    // item then, and its click toggles the panel window.
    m_item->show();
    if (trayAvailable)
        return;
    QWidget* w = ensurePanel(true);
    w->adjustSize();
    WindowCenterer::center(w);
    w->show();
    Activation::activate(w);
}

QWidget* MenuBarExtra::ensurePanel(bool asWindow)
{
    if (m_panel && m_panelIsWindow == asWindow)
        return m_panel;
    delete m_panel.data();
    m_panelIsWindow = asWindow;
    QWidget* w = asWindow ? new QWidget(nullptr, Qt::Window) : new PanelPopup([this] { return iconFrame(); });
    w->setObjectName(QStringLiteral("menuPanel"));
    if (asWindow)
        w->installEventFilter(this);
    w->setWindowTitle(QCoreApplication::applicationName());
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The content, held to the screen: its list scrolls when the whole panel would not fit.
    m_holder = new ScreenFit::Holder(m_panelContent ? m_panelContent() : nullptr, w);
    layout->addWidget(m_holder);
    if (asWindow)
        ScreenFit::keep(w, m_holder);
    m_panel = w;
    return w;
}

QSize MenuBarExtra::panelRoom(const std::optional<QRect>& icon, const QRect& area)
{
    // Between the icon (4 px away from it) and the far edge of the screen, or the screen less
    // the 8 px the panel keeps from its top without an icon.
    if (!icon)
        return QSize(area.width(), area.height() - 8);
    const bool iconAtBottom = icon->y() + icon->height() / 2 > area.y() + area.height() / 2;
    const int top = iconAtBottom ? area.top() : std::max(area.top(), icon->bottom() + 1 + 4);
    const int bottom = iconAtBottom ? std::min(area.bottom(), icon->top() - 1 - 4) : area.bottom();
    return QSize(area.width(), std::max(1, bottom - top + 1));
}

QPoint MenuBarExtra::panelPosition(const std::optional<QRect>& icon, const QSize& size, const QRect& area)
{
    QPoint at;
    if (icon) {
        // 4 px between the icon and the panel.
        at.setX(icon->x() + icon->width() / 2 - size.width() / 2);
        const bool iconAtBottom = icon->y() + icon->height() / 2 > area.y() + area.height() / 2;
        at.setY(iconAtBottom ? icon->y() - size.height() - 4 : icon->y() + icon->height() + 4);
    } else {
        at = QPoint(area.x() + area.width() - size.width() - 8, area.y() + 8);
    }
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    return at;
}

void MenuBarExtra::showPanel()
{
    // A popup under the icon in the tray, else a normal window.
    QWidget* w = ensurePanel(!m_inTray);
    if (!m_panelIsWindow) {
        const std::optional<QRect> icon = iconFrame();
        QScreen* screen = icon ? QGuiApplication::screenAt(icon->center()) : nullptr;
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        // No taller than the room beside the icon, so that it never covers the icon.
        m_holder->setLimit(panelRoom(icon, area));
        w->adjustSize();
        w->move(panelPosition(icon, w->size(), area));
    } else {
        w->adjustSize();
    }
    w->show();
    Activation::activate(w);
}

std::optional<QRect> MenuBarExtra::iconFrame() const { return m_iconFrame ? m_iconFrame() : m_item->frame(); }

std::optional<QRect> MenuBarExtra::panelWindowFrame() const
{
    if (!m_panel || !m_panelIsWindow || !m_panel->isVisible())
        return std::nullopt;
    return m_panel->frameGeometry();
}

bool MenuBarExtra::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel && m_panelIsWindow && event->type() == QEvent::Close) {
        // Without a tray this window is the program: closing it must not leave a process
        // running with no way back. With a tray come up since, its icon brings the panel back.
        if (!m_trayAvailable || !m_trayAvailable()) {
            if (m_quit)
                m_quit();
        } else {
            m_inTray = true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void MenuBarExtra::togglePanel()
{
    if (isPanelVisible()) {
        m_panel->hide();
        return;
    }
    showPanel();
}
