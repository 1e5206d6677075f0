#include "views/Windows.h"

#include "platform/ui/Activation.h"
#include "views/components/ScreenFit.h"
#include "views/components/Style.h"
#include "views/components/WindowCenterer.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {
// A scene's window; it tells when it has accepted a close, before its deferred deletion.
class SceneWindow : public QWidget {
public:
    std::function<void()> onClosed;
    SceneWindow() : QWidget(nullptr, Qt::Window) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        QWidget::closeEvent(event);
        if (event->isAccepted() && onClosed)
            onClosed();
    }
};
} // namespace

Windows::Windows(QObject* parent) : QObject(parent) {}

Windows::~Windows()
{
    const auto open = std::exchange(m_open, {});
    for (const auto& w : open)
        delete w.data();
}

void Windows::registerScene(const Scene& scene)
{
    const QString id = scene.id;
    m_scenes.insert(id, scene);
}

bool Windows::isRegistered(const QString& id) const { return m_scenes.contains(id); }

QStringList Windows::registeredIds() const { return m_scenes.keys(); }

QWidget* Windows::window(const QString& id) const
{
    const auto it = m_open.constFind(id);
    return it == m_open.constEnd() ? nullptr : it->data();
}

QWidget* Windows::open(const QString& id)
{
    if (QWidget* existing = window(id)) {
        existing->show();
        Activation::activate(existing);
        return existing;
    }
    const auto it = m_scenes.constFind(id);
    if (it == m_scenes.constEnd() || !it->content)
        return nullptr;
    const Scene& scene = *it;

    auto* w = new SceneWindow;
    w->setObjectName(id);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(scene.title);

    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (scene.centred) {
        // Behind the content: centres the window once it is on screen.
        auto* centerer = new WindowCenterer(w);
        centerer->lower();
    }
    // The content, held to what fits on the screen with the window's frame.
    auto* holder = new ScreenFit::Holder(scene.content(), w);
    layout->addWidget(holder);
    holder->setLimit(ScreenFit::largestSize(w, ScreenFit::availableArea(w)));

    if (scene.defaultSize) {
        layout->setSizeConstraint(QLayout::SetDefaultConstraint);
        w->resize(scene.defaultSize->expandedTo(w->minimumSizeHint()).boundedTo(holder->limit()));
    } else {
        // The window follows its content: no smaller than its minimum, no larger than its maximum.
        layout->setSizeConstraint(QLayout::SetMinAndMaxSize);
        w->adjustSize();
    }
    // Every window first appears in the middle of the screen, clear of the panel window, and
    // stays on the screen.
    WindowCenterer::center(w);
    keepClear(w);
    ScreenFit::keep(w, holder);

    m_open.insert(id, w);
    const QPointer<QWidget> guard(w);
    w->onClosed = [this, id, guard] {
        if (m_open.value(id) == guard) {
            m_open.remove(id);
            Q_EMIT closed(id);
        }
    };
    connect(w, &QObject::destroyed, this, [this, id] {
        if (m_open.contains(id) && m_open.value(id).isNull()) {
            m_open.remove(id);
            Q_EMIT closed(id);
        }
    });

    w->show();
    if (m_keepClear) {
        // After the centring that follows the show.
        const QPointer<QWidget> shown(w);
        QTimer::singleShot(0, this, [this, shown] {
            if (shown)
                keepClear(shown);
        });
    }
    Activation::activate(w);
    Q_EMIT opened(id);
    return w;
}

QPoint Windows::placeClear(const QRect& window, const KeepClear& keep, const QRect& area, int minTitleHeight)
{
    const QRect& panel = keep.frame;
    if (!window.intersects(panel))
        return window.topLeft();
    constexpr int gap = 12;
    auto clampY = [&](int y) {
        return std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - window.height()));
    };
    auto clampX = [&](int x) {
        return std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - window.width()));
    };
    const bool rightFirst = area.right() - panel.right() >= panel.left() - area.left();
    const QPoint right(panel.right() + 1 + gap, clampY(window.top()));
    const QPoint left(panel.left() - gap - window.width(), clampY(window.top()));
    const QList<QPoint> candidates = {
        rightFirst ? right : left,
        rightFirst ? left : right,
        {clampX(window.left()), panel.bottom() + 1 + gap},
        {clampX(window.left()), panel.top() - gap - window.height()},
    };
    for (const QPoint& at : candidates)
        if (area.contains(QRect(at, window.size())))
            return at;
    // It covers the panel in part whatever happens: as little as the roomier side allows, and
    // never its title bar, so that the panel can still be seen and moved.
    const int x = rightFirst ? clampX(area.right() + 1 - window.width()) : area.left();
    const QRect title(panel.left(), panel.top(), panel.width(), std::max(keep.titleHeight, minTitleHeight));
    int y = clampY(window.top());
    if (QRect(QPoint(x, y), window.size()).intersects(title))
        y = title.bottom() + 1;
    return {x, y};
}

void Windows::keepClear(QWidget* w) const
{
    const std::optional<KeepClear> keep = m_keepClear ? m_keepClear() : std::nullopt;
    if (!keep || w->isMaximized() || w->isFullScreen())
        return;
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QSize size = w->size();
    if (!w->isVisible())
        size = size.expandedTo(w->sizeHint());
    const QRect frame(w->pos(), size.grownBy(ScreenFit::frameMargins(w)));
    // A desktop that reports no title bar still shows the panel's own header at its top.
    const QPoint at = placeClear(frame, *keep, screen->availableGeometry(), Style::metric(32));
    if (at != frame.topLeft())
        w->move(at);
}

void Windows::close(const QString& id)
{
    if (QWidget* w = window(id))
        w->close();
}
