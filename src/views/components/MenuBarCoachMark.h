#pragma once
#include <QWidget>

#include <functional>

class QVariantAnimation;

// The first-run hint: an arrow pointing up at the tray icon with a small bubble under it (or, for
// a tray at the bottom of the screen, down at it with the bubble above). The bubble follows the
// icon but stays inside the band; the arrow points at the icon all the same. It fills the band it
// is given; a click anywhere in it calls `onDismiss`.
class MenuBarCoachMark : public QWidget {
    Q_OBJECT
public:
    MenuBarCoachMark(qreal iconX, std::function<void()> onDismiss, qreal bubbleWidth = 280, QWidget* parent = nullptr);

    // Centre x of the arrow and bubble column in a view `width` wide: it follows the icon but
    // stays 12 px inside both edges; where the bounds cross, the right one wins.
    static qreal columnCenterX(qreal width, qreal iconX, qreal bubbleWidth);
    // The height of the band the hint needs: 200 px, grown with a larger application font.
    static int bandHeight();

    qreal iconX() const { return m_iconX; }
    // For a tray at the bottom: the arrow points down at the icon from above.
    void setPointsDown(bool down);
    bool pointsDown() const { return m_down; }
    bool appeared() const { return m_appeared; }
    // The column's rectangle (arrow above bubble) at the current size.
    QRectF columnRect() const;
    QRectF bubbleRect() const;
    // The arrow's centre x: at the icon wherever the bubble is held inside the view, moving along
    // the bubble's edge (never beyond the bubble's side).
    qreal arrowCenterX() const;
    // The bubble's width: the width given, grown with a larger application font, and never
    // narrower than its headline.
    qreal bubbleWidth() const;
    // Without animation the hint stands still at once (no fade, rise or bounce).
    void setAnimated(bool animated);
    // The arrow and the bubble at rest, for a window that cannot show through its transparent parts.
    QRegion opaqueRegion() const;

protected:
    void showEvent(QShowEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void paintEvent(QPaintEvent*) override;

private:
    qreal bubbleHeight() const;

    qreal m_iconX;
    std::function<void()> m_onDismiss;
    qreal m_bubbleWidth;
    bool m_appeared = false;
    bool m_animated = true;
    bool m_down = false;
    qreal m_progress = 0; // 0 → 1 as the column fades in and the arrow rises
    qreal m_bounce = 0; // the arrow's repeating bounce, in pixels
    QVariantAnimation* m_appear;
    QVariantAnimation* m_bounceAnimation;
};
