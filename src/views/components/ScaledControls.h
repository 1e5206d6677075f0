#pragma once
#include <QProxyStyle>

// The desktop's widget style with the parts it draws at fixed sizes grown with the application
// font: the padding of push buttons and the box of check boxes and radio buttons. A larger
// desktop font so no longer squeezes a button's label against its frame or leaves a tiny box
// beside a large label. At the body size the layouts were drawn for (or smaller) the style's own
// sizes stay, except that a push button's label keeps some room on either side however long it is.
//
// Over the desktop's plain style it also outlines the box of a check box and the circle of a
// radio button at 3:1 against the window: that style shades them from the window colour, which
// leaves an unchecked box all but invisible in a dark palette.
class ScaledControls : public QProxyStyle {
    Q_OBJECT
public:
    // Wraps `base` (the application's current style when null).
    explicit ScaledControls(QStyle* base = nullptr);

    // Puts the application's current style inside a ScaledControls, once.
    static void install();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
};
