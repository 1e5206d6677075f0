#include "views/components/InlineCodeLabel.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// Lays `label`'s text out in lines of `width`; the height it takes.
qreal layOut(QTextLayout& layout, const InlineCodeLabel& label, int width)
{
    QFont code = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    code.setPixelSize(label.font().pixelSize() > 0 ? label.font().pixelSize() : QFontInfo(label.font()).pixelSize());
    code.setWeight(label.font().weight());
    QList<QTextLayout::FormatRange> formats;
    for (const InlineCodeLabel::Span& span : label.codeSpans()) {
        QTextLayout::FormatRange range;
        range.start = int(span.start);
        range.length = int(span.length);
        range.format.setFont(code);
        formats << range;
    }
    layout.setText(label.text());
    layout.setFont(label.font());
    layout.setFormats(formats);
    QTextOption option(Qt::AlignLeading | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(label.layoutDirection());
    layout.setTextOption(option);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

} // namespace

InlineCodeLabel::InlineCodeLabel(const QString& source, const QFont& font, const QColor& color, QWidget* parent)
    : QLabel(parent)
{
    QString shown;
    m_spans = parse(source, &shown);
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setText(shown);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

QList<InlineCodeLabel::Span> InlineCodeLabel::parse(const QString& source, QString* shown)
{
    QList<Span> spans;
    QString out;
    qsizetype i = 0;
    while (i < source.size()) {
        const qsizetype open = source.indexOf(QLatin1Char('`'), i);
        const qsizetype close = open < 0 ? -1 : source.indexOf(QLatin1Char('`'), open + 1);
        if (close < 0) {
            out += source.mid(i);
            break;
        }
        out += source.mid(i, open - i);
        spans << Span{out.size(), close - open - 1};
        out += source.mid(open + 1, close - open - 1);
        i = close + 1;
    }
    if (shown)
        *shown = out;
    return spans;
}

int InlineCodeLabel::heightForWidth(int width) const
{
    QTextLayout layout;
    const QMargins m = contentsMargins();
    return int(std::ceil(layOut(layout, *this, width - m.left() - m.right()))) + m.top() + m.bottom();
}

QSize InlineCodeLabel::sizeHint() const
{
    // As wide as a comfortable paragraph, as high as the text needs at that width.
    const int width = fontMetrics().averageCharWidth() * 60;
    return QSize(width, heightForWidth(width));
}

QSize InlineCodeLabel::minimumSizeHint() const
{
    const int width = fontMetrics().averageCharWidth() * 10;
    return QSize(width, heightForWidth(width));
}

void InlineCodeLabel::paintEvent(QPaintEvent*)
{
    QTextLayout layout;
    const QRect r = contentsRect();
    layOut(layout, *this, r.width());
    QPainter p(this);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    layout.draw(&p, r.topLeft());
}
