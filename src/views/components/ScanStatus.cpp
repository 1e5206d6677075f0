#include "views/components/ScanStatus.h"

#include "views/components/ElidedLabel.h"
#include "views/components/Labels.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

ScanStatus::ScanStatus(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Style::metric(10));
    m_spinner = new ProgressSpinner(Style::metric(14), this);
    row->addWidget(m_spinner);
    m_count = new ElidedLabel(QString(), this);
    m_count->setObjectName(QStringLiteral("toolbarCount"));
    m_count->setFont(Style::font(Style::Text::callout));
    m_count->setColor(Style::secondary(palette()));
    m_count->setElideMode(Qt::ElideRight);
    row->addWidget(m_count);
    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setObjectName(QStringLiteral("stopButton"));
    m_stop->setAutoDefault(false);
    m_stop->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_stop, &QPushButton::clicked, this, &ScanStatus::stopRequested);
    row->addWidget(m_stop);
    m_folders = new ElidedLabel(QString(), this);
    m_folders->setObjectName(QStringLiteral("rootLabel"));
    m_folders->setFont(Style::font(Style::Text::callout));
    m_folders->setColor(Style::secondary(palette()));
    m_folders->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    row->addWidget(m_folders, 1);
    // While the folders are hidden the room left over stays empty after "Stop".
    row->addStretch(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setState(false, false);
}

void ScanStatus::setState(bool scanning, bool scanned)
{
    m_spinner->setVisible(scanning);
    m_count->setVisible(scanning);
    m_stop->setVisible(scanning);
    m_folders->setVisible(!scanning && scanned);
}

void ScanStatus::setCountText(const QString& text, const QString& count)
{
    const qsizetype at = text.indexOf(count);
    m_count->setKeptPrefix(at < 0 ? text : text.left(at + count.size()));
    m_count->setText(text);
}

void ScanStatus::setFoldersText(const QString& text)
{
    m_folders->setText(text);
    m_folders->setToolTip(plainToolTip(text));
}
