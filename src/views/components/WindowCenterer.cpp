#include "views/components/WindowCenterer.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
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
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    if (!window->isVisible())
        frame.setSize(window->size().expandedTo(window->sizeHint()));
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}
