#include "views/components/ToolHeader.h"

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

    m_subtitle = new QLabel(QCoreApplication::translate("ToolHeader", subtitle.toUtf8().constData()), this);
    m_subtitle->setTextFormat(Qt::PlainText);
    m_subtitle->setWordWrap(true);
    m_subtitle->setFont(Style::font(Style::Text::callout));
    QPalette pal = m_subtitle->palette();
    pal.setColor(QPalette::WindowText, Style::secondary(palette()));
    m_subtitle->setPalette(pal);
    column->addWidget(m_subtitle);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString ToolHeader::titleText() const { return m_title->text(); }
QString ToolHeader::subtitleText() const { return m_subtitle->text(); }
