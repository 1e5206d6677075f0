#include "views/components/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace ScreenFit {

namespace {

bool isFrameless(const QWidget* window)
{
    const Qt::WindowType type = window->windowType();
    return window->windowFlags().testFlag(Qt::FramelessWindowHint) || type == Qt::Popup || type == Qt::ToolTip
        || type == Qt::SplashScreen;
}

// Watches one window: fits its holder to the screen when it shows and when its frame or screen
// changes, and moves it back inside when it grows.
class Keeper : public QObject {
public:
    Keeper(QWidget* window, Holder* holder) : QObject(window), m_window(window), m_holder(holder)
    {
        window->installEventFilter(this);
        fit();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            fit();
            moveInside();
            // Once shown the desktop frames it: measured again with the frame it got.
            QTimer::singleShot(0, this, [this] { refitIfChanged(); });
            break;
        case QEvent::Resize:
            if (m_window->isVisible())
                moveInside();
            break;
        case QEvent::Move:
            // A move by the user is left alone; a new frame or another screen is not.
            if (m_window->isVisible())
                refitIfChanged();
            break;
        default: break;
        }
        return false;
    }

private:
    void fit()
    {
        m_margins = frameMargins(m_window);
        m_screen = m_window->screen();
        const QSize limit = largestSize(m_window, availableArea(m_window));
        if (m_holder)
            m_holder->setLimit(limit);
        // A window sized by hand (not by its content's layout) is held to the screen too.
        if (QLayout* layout = m_window->layout(); layout && layout->sizeConstraint() == QLayout::SetDefaultConstraint)
            m_window->setMaximumSize(limit);
    }

    void refitIfChanged()
    {
        if (frameMargins(m_window) == m_margins && m_window->screen() == m_screen)
            return;
        fit();
        moveInside();
    }

    void moveInside()
    {
        if (m_window->isMaximized() || m_window->isFullScreen())
            return;
        // A window's position is its frame's, also before the desktop has framed it.
        const QRect frame(m_window->pos(), m_window->size().grownBy(frameMargins(m_window)));
        const QPoint at = inside(frame, availableArea(m_window));
        if (at != frame.topLeft())
            m_window->move(at);
    }

    QWidget* m_window;
    QPointer<Holder> m_holder;
    QMargins m_margins;
    QScreen* m_screen = nullptr;
};

} // namespace

QRect availableArea(const QWidget* window)
{
    QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QMargins frameMargins(const QWidget* window)
{
    if (!window || !window->isWindow() || isFrameless(window))
        return {};
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (window->isVisible() && frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    // Not framed yet: the desktop will put a title bar above it.
    return {0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), 0, 0};
}

QSize largestSize(const QWidget* window, const QRect& area)
{
    const QMargins m = frameMargins(window);
    return QSize(area.width() - m.left() - m.right(), area.height() - m.top() - m.bottom()).expandedTo(QSize(1, 1));
}

QPoint inside(const QRect& frame, const QRect& area)
{
    const int x = std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y = std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    return {x, y};
}

Holder::Holder(QWidget* content, QWidget* parent)
    : QWidget(parent), m_content(content), m_limit(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)
{
    setObjectName(QStringLiteral("screenFit"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (content)
        layout->addWidget(content);
}

void Holder::setLimit(const QSize& limit)
{
    m_limit = limit;
    apply();
}

bool Holder::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // The content's limits may have changed with its layout.
    if (event->type() == QEvent::LayoutRequest)
        apply();
    return handled;
}

void Holder::apply()
{
    // No larger than the content allows, nor than the limit.
    setMaximumSize(layout()->maximumSize().boundedTo(m_limit));
    // A minimum the content set itself would hold it whatever its holder allows: it gives way too.
    if (m_content)
        m_content->setMinimumSize(m_content->minimumSize().boundedTo(m_limit));
}

void keep(QWidget* window, Holder* holder) { new Keeper(window, holder); }

} // namespace ScreenFit
