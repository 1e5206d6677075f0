#include "views/components/FitScrollArea.h"

#include <QEvent>
#include <QScrollBar>

#include <algorithm>

FitScrollArea::FitScrollArea(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // No taller than what it holds unless asked to fill (setSizePolicy).
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void FitScrollArea::setNaturalHeight(std::optional<int> height)
{
    if (m_natural == height)
        return;
    m_natural = height;
    updateGeometry();
}

void FitScrollArea::setLeastHeight(int height)
{
    m_least = std::max(0, height);
    updateGeometry();
}

int FitScrollArea::naturalHeight() const
{
    if (m_natural)
        return *m_natural;
    const QWidget* w = widget();
    return w && !w->isHidden() ? w->sizeHint().expandedTo(w->minimumSizeHint()).height() : 0;
}

QSize FitScrollArea::sizeHint() const
{
    // Unlike a plain scroll area, not cut to a few dozen lines: as tall as its content.
    const QWidget* w = widget();
    const int width = w ? w->sizeHint().width() : 0;
    return {width, naturalHeight()};
}

QSize FitScrollArea::minimumSizeHint() const
{
    const QWidget* w = widget();
    const int width = w ? w->minimumSizeHint().width() + verticalScrollBar()->sizeHint().width() : 0;
    return {width, std::min(m_least, naturalHeight())};
}

bool FitScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    // Its content grew or shrank: so does what it asks for.
    if (watched == widget() && event->type() == QEvent::LayoutRequest && !m_natural)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}
