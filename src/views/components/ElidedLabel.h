#pragma once
#include <QWidget>

#include <optional>

// One line of plain text, truncated with "…" where it does not fit (in the middle by default).
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setElideMode(Qt::TextElideMode mode);
    void setColor(const QColor& color);
    // The colour the text is drawn in.
    QColor color() const;
    // The text as it is drawn at the current width.
    QString displayedText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_text;
    Qt::TextElideMode m_mode = Qt::ElideMiddle;
    std::optional<QColor> m_color;
};
