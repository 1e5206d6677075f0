#pragma once
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

// Keeps windows within the free area of their screen (the desktop's panels left out), whatever
// the font: no larger than that area with their frame, never with the title bar off screen, and
// moved back in when they grow. What does not fit then scrolls inside the window's content.
namespace ScreenFit {

// The free area of the screen `window` is on, or opens on.
QRect availableArea(const QWidget* window);
// The frame the desktop draws around `window`: its own once the window is framed, else room for
// a title bar above it (none for frameless windows and popups).
QMargins frameMargins(const QWidget* window);
// The largest size `window` may take for it and its frame to fit `area`.
QSize largestSize(const QWidget* window, const QRect& area);
// Where a frame goes so as to lie inside `area`, moved as little as needed. One larger than the
// area keeps its top-left corner, and with it the title bar, inside.
QPoint inside(const QRect& frame, const QRect& area);

// Holds a window's content to a size limit: the window gets no larger than the limit however
// large the content asks to be, now or when more of it arrives, and the content gives way within
// it (its scroll areas scroll). Below the limit the content's own limits hold: a window of a
// fixed-size content keeps that size.
class Holder : public QWidget {
public:
    explicit Holder(QWidget* content, QWidget* parent = nullptr);

    void setLimit(const QSize& limit);
    QSize limit() const { return m_limit; }
    QWidget* content() const { return m_content; }

protected:
    bool event(QEvent* event) override;

private:
    void apply();

    QWidget* m_content;
    QSize m_limit;
};

// Keeps the window of `holder` within its screen from now on: limits the holder to the screen's
// free area, and moves the window back inside when it shows, grows, or its frame becomes known.
void keep(QWidget* window, Holder* holder);

} // namespace ScreenFit
