#include "views/components/SegmentedControl.h"

#include "views/components/Style.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

SegmentedControl::SegmentedControl(const QStringList& titles, QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_group->setExclusive(false); // exclusivity is kept here, so that none can be selected
    for (int i = 0; i < titles.size(); ++i) {
        auto* b = new QToolButton(this);
        QString shown = titles[i];
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        b->setText(shown);
        b->setAccessibleName(titles[i]);
        b->setCheckable(true);
        b->setFont(Style::font(Style::Text::body));
        b->setMinimumWidth(Style::metric(72));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setFocusPolicy(Qt::StrongFocus);
        m_group->addButton(b, i);
        row->addWidget(b);
    }
    restyle();
    const auto buttons = m_group->buttons();
    for (QAbstractButton* b : buttons) {
        const int id = m_group->id(b);
        if (buttons.size() == 1)
            b->setObjectName(QStringLiteral("only"));
        else if (id == 0)
            b->setObjectName(QStringLiteral("first"));
        else if (id == buttons.size() - 1)
            b->setObjectName(QStringLiteral("last"));
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        setCurrentIndex(id);
        Q_EMIT activated(id);
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SegmentedControl::restyle()
{
    // Joined segments; the chosen one filled with the accent colour, made dark enough for white
    // text to keep a 4.5:1 contrast.
    const QColor fill = Style::prominentFill(Style::accent(palette()), Qt::white);
    const int radius = Style::metric(5);
    m_restyling = true;
    setStyleSheet(QStringLiteral("QToolButton { border: 1px solid palette(mid); background: palette(button);"
                                 " color: palette(button-text); padding: %1px %2px; margin: 0; }"
                                 "QToolButton:checked { background: %4; color: white; border-color: %4; }"
                                 "QToolButton:focus { border-color: %5; }"
                                 "QToolButton#first { border-top-left-radius: %3px; border-bottom-left-radius: %3px; }"
                                 "QToolButton#last { border-top-right-radius: %3px; border-bottom-right-radius: %3px; }"
                                 "QToolButton#only { border-radius: %3px; }")
                      .arg(QString::number(Style::metric(3)), QString::number(Style::metric(12)),
                           QString::number(radius), fill.name(), Style::focusRing(palette()).name()));
    m_restyling = false;
}

void SegmentedControl::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !m_restyling)
        restyle();
}

void SegmentedControl::setCurrentIndex(int index)
{
    m_current = index;
    const auto buttons = m_group->buttons();
    for (QAbstractButton* b : buttons)
        b->setChecked(m_group->id(b) == index);
}

QAbstractButton* SegmentedControl::segment(int index) const { return m_group->button(index); }

int SegmentedControl::count() const { return int(m_group->buttons().size()); }
