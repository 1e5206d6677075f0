#include "views/MenuPanelStandIn.h"

#include "AppModel.h"
#include "views/components/DiskUsageRingView.h"
#include "views/components/Style.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

MenuPanelStandIn::MenuPanelStandIn(AppModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    setFixedWidth(340);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 12);
    column->setSpacing(12);

    auto* title = new QLabel(QStringLiteral("Dustlet"), this);
    title->setTextFormat(Qt::PlainText);
    title->setFont(Style::font(Style::Text::headline));
    column->addWidget(title);

    m_ring = new DiskUsageRingView(model.disk(), this);
    column->addWidget(m_ring);
    connect(&model, &AppModel::diskChanged, this, [this] { m_ring->setDisk(m_model.disk()); });

    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    auto* quit = new QPushButton(tr("Quit"), this);
    connect(quit, &QPushButton::clicked, qApp, &QApplication::quit);
    footer->addWidget(quit);
    column->addLayout(footer);
}

void MenuPanelStandIn::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_started) {
        m_started = true;
        m_model.start();
    }
}
