#pragma once
#include <QWidget>

// An empty, invisible widget placed behind a window's content: once, on the event-loop turn
// after it is made, it centres its window on that window's screen (nothing when it has none).
class WindowCenterer : public QWidget {
    Q_OBJECT
public:
    explicit WindowCenterer(QWidget* parent = nullptr);

    // Centres a top-level window on its screen's available area, inside it with its title bar.
    static void center(QWidget* window);
};
