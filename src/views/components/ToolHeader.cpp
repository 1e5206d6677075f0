#include "views/components/ToolHeader.h"

#include "views/components/InlineCodeLabel.h"
#include "views/components/Labels.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

ToolHeader::ToolHeader(const QString& icon, const QString& title, const QString& subtitle, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(Style::metric(16), Style::metric(16), Style::metric(16), Style::metric(16));
    column->setSpacing(Style::metric(6));

    const QFont titleFont = Style::font(Style::Text::title3, QFont::DemiBold);
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(Style::metric(6));
    titleRow->addWidget(new SymbolView(icon, titleFont.pixelSize() + 2, Style::primary(palette()), this));
    m_title = new QLabel(QCoreApplication::translate("ToolHeader", title.toUtf8().constData()), this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(titleFont);
    titleRow->addWidget(m_title);
    titleRow->addStretch(1);
    column->addLayout(titleRow);

    // The subtitle may mark a command as inline code between backquotes; it is set in a
    // monospaced font then, as plain text runs.
    const QString shown = QCoreApplication::translate("ToolHeader", subtitle.toUtf8().constData());
    const QFont subtitleFont = Style::font(Style::Text::callout);
    const QColor subtitleColor = Style::secondary(palette());
    if (shown.contains(QLatin1Char('`'))) {
        m_subtitle = new InlineCodeLabel(shown, subtitleFont, subtitleColor, this);
    } else {
        m_subtitle = makePlainLabel(shown, subtitleFont, subtitleColor, this);
        m_subtitle->setWordWrap(true);
    }
    column->addWidget(m_subtitle);

    // At least the height the wrapped subtitle needs at the width it gets (a fixed policy would keep
    // the height of its own guess at a width, and clip a longer text).
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
}

QString ToolHeader::titleText() const { return m_title->text(); }
QString ToolHeader::subtitleText() const { return m_subtitle->text(); }
