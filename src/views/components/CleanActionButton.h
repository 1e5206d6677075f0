#pragma once
#include <QPushButton>

#include <functional>

// The prominent action button at the foot of a tool window: the title (shown as given) with its
// symbol, on the accent colour, large. Drawn by hand so that its label keeps 4.5:1 on the fill in
// any palette and style, with a focus ring when reached by the keyboard.
class CleanActionButton : public QPushButton {
    Q_OBJECT
public:
    CleanActionButton(const QString& title, const QString& systemImage, bool enabled, std::function<void()> action,
                      QWidget* parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString& title);

    // The colours it is drawn in now: the fill and the label on it.
    QColor fillColor() const;
    QColor labelColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void updateIcon();
    QString shownText() const;
    int contentWidth(const QString& text) const;

    QString m_title;
    QString m_symbol;
};
