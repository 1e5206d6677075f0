#pragma once
#include <QWidget>

#include <optional>

// One line of plain text, truncated with "…" where it does not fit (in the middle by default).
// While it is shortened and no tooltip of its own is set, hovering it shows the whole text.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setElideMode(Qt::TextElideMode mode);
    // Never shortened to less than `prefix` followed by "…" (for a text shortened at its end that
    // starts with `prefix`): its minimum width keeps room for that much.
    void setKeptPrefix(const QString& prefix);
    void setColor(const QColor& color);
    // The colour it is drawn in.
    QColor color() const;
    // The text as it is drawn at the current width.
    QString displayedText() const;
    bool isElided() const;
    // What hovering shows: the tooltip set on the label, else the whole text while it is shortened.
    QString effectiveToolTip() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;

private:
    QString m_text;
    Qt::TextElideMode m_mode = Qt::ElideMiddle;
    QString m_kept;
    std::optional<QColor> m_color;
};
