#pragma once
#include <QScrollArea>

#include <optional>

// A vertical scroll area that asks for the whole height of what it holds (or for the height set
// with setNaturalHeight) and gives way down to its least height when its window is held to a
// smaller screen: it scrolls then. Frameless, never scrolling sideways, and no taller than it
// asks for unless its size policy lets it fill more.
class FitScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit FitScrollArea(QWidget* parent = nullptr);

    // The height it asks for; none: its widget's.
    void setNaturalHeight(std::optional<int> height);
    // The least height it keeps (never more than it asks for).
    void setLeastHeight(int height);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int naturalHeight() const;

    std::optional<int> m_natural;
    int m_least = 0;
};
