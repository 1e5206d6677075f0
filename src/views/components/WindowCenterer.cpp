#include "views/components/WindowCenterer.h"

#include "views/components/ScreenFit.h"

#include <QPointer>
#include <QTimer>

WindowCenterer::WindowCenterer(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    QTimer::singleShot(0, this, [this] {
        QWidget* w = window();
        if (w && w != this)
            center(w);
    });
}

void WindowCenterer::center(QWidget* window)
{
    if (!window)
        return;
    const QRect area = ScreenFit::availableArea(window);
    // The frame, title bar included (its position is the window's), centred; one taller or wider
    // than the screen keeps its title bar on it.
    QSize size = window->size();
    if (!window->isVisible())
        size = size.expandedTo(window->sizeHint());
    QRect frame(window->pos(), size.grownBy(ScreenFit::frameMargins(window)));
    frame.moveCenter(area.center());
    window->move(ScreenFit::inside(frame, area));
}
