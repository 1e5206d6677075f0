#include "views/components/Labels.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QTextDocument>

namespace {
void setTextColor(QLabel* l, const QColor& color)
{
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
}
} // namespace

QString plainToolTip(const QString& text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

int sizeColumnWidth(const QFont& font)
{
    const QFontMetrics fm(font);
    QChar widest = QLatin1Char('0');
    for (char c = '0'; c <= '9'; ++c)
        if (fm.horizontalAdvance(QLatin1Char(c)) > fm.horizontalAdvance(widest))
            widest = QLatin1Char(c);
    const QString d3 = QString(3, widest);
    const QStringList samples = {
        QStringLiteral("Zero KB"),
        d3 + QStringLiteral(" bytes"),
        d3 + QStringLiteral(" KB"),
        d3 + QLatin1Char('.') + widest + QStringLiteral(" MB"),
        d3 + QLatin1Char('.') + QString(2, widest) + QStringLiteral(" GB"),
        d3 + QLatin1Char('.') + QString(2, widest) + QStringLiteral(" TB"),
    };
    int width = 0;
    for (const QString& s : samples)
        width = std::max(width, fm.horizontalAdvance(s));
    return width + 1;
}

QLabel* makePlainLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(font);
    setTextColor(l, color);
    return l;
}

SelectableElidedLabel::SelectableElidedLabel(const QString& full, const QFont& font, const QColor& color,
                                             QWidget* parent)
    : QLabel(parent), m_full(full)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFont(font);
    setTextColor(this, color);
    setToolTip(plainToolTip(full));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        // The label is the action's context: if it goes while the menu is open, the action goes too.
        menu.addAction(QCoreApplication::translate("SelectableElidedLabel", "Copy"), this,
                       [this] { QApplication::clipboard()->setText(m_full); });
        menu.exec(mapToGlobal(at));
    });
    QLabel::setText(full);
}

void SelectableElidedLabel::resizeEvent(QResizeEvent* e)
{
    QLabel::resizeEvent(e);
    QLabel::setText(fontMetrics().elidedText(m_full, Qt::ElideMiddle, e->size().width()));
}

void SelectableElidedLabel::keyPressEvent(QKeyEvent* e)
{
    // The "…" stands for what was left out: a selection over it copies the whole text.
    if (e->matches(QKeySequence::Copy) && text() != m_full && selectedText().contains(QChar(0x2026))) {
        QApplication::clipboard()->setText(m_full);
        e->accept();
        return;
    }
    QLabel::keyPressEvent(e);
}
