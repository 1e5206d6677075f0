#pragma once
#include <QLabel>
#include <QList>

// Wrapped text in which spans between backquotes ("runs your own `brew upgrade`") are set in a
// monospaced font, as inline code. The text is laid out as plain runs: nothing in it is read as
// markup, and the backquotes themselves are not shown. `text()` is the text as shown.
class InlineCodeLabel : public QLabel {
    Q_OBJECT
public:
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
        friend bool operator==(const Span&, const Span&) = default;
    };

    InlineCodeLabel(const QString& source, const QFont& font, const QColor& color, QWidget* parent = nullptr);

    // The code spans of `source`, as positions in the shown text; `shown` receives that text. A
    // backquote without a partner stays as it is.
    static QList<Span> parse(const QString& source, QString* shown);

    const QList<Span>& codeSpans() const { return m_spans; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QList<Span> m_spans;
};
