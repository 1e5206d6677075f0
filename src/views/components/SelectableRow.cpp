#include "views/components/SelectableRow.h"

#include "platform/ByteCountFormatter.h"
#include "views/components/ElidedLabel.h"
#include "views/components/Style.h"

#include "views/components/FocusRing.h"
#include "views/components/Labels.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

SelectableRow::SelectableRow(bool isOn, bool enabled, std::function<void()> toggle, const std::optional<QIcon>& icon,
                             const QString& title, const std::optional<QString>& subtitle, std::optional<qint64> size,
                             QWidget* trailing, QWidget* parent)
    : QWidget(parent), m_isOn(isOn), m_toggle(std::move(toggle))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Style::metric(12), Style::metric(6), Style::metric(12), Style::metric(6));
    row->setSpacing(Style::metric(10));

    m_check = new QCheckBox(this);
    m_check->setChecked(isOn);
    m_check->setEnabled(enabled);
    m_check->setAccessibleName(title);
    connect(m_check, &QCheckBox::clicked, this, [this] {
        // The caller owns the state: put the box back and let it decide.
        m_check->setChecked(m_isOn);
        if (m_toggle)
            m_toggle();
    });
    FocusRing::attach(m_check);
    row->addWidget(m_check);

    if (icon) {
        m_icon = *icon;
        m_image = new QLabel(this);
        m_image->setFixedWidth(Style::metric(18));
        m_image->setAlignment(Qt::AlignCenter);
        row->addWidget(m_image);
    }

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    m_title = new ElidedLabel(title, this);
    m_title->setObjectName(QStringLiteral("rowTitle"));
    m_title->setFont(Style::font(Style::Text::callout));
    texts->addWidget(m_title);
    if (subtitle) {
        m_subtitle = new ElidedLabel(*subtitle, this);
        m_subtitle->setObjectName(QStringLiteral("rowSubtitle"));
        m_subtitle->setFont(Style::monospaced(Style::Text::caption2));
        texts->addWidget(m_subtitle);
    }
    row->addLayout(texts, 1);
    row->addSpacing(Style::metric(8));

    if (size) {
        m_sizeText = formatBytes(*size);
        m_size = new QLabel(m_sizeText, this);
        m_size->setObjectName(QStringLiteral("rowSize"));
        m_size->setTextFormat(Qt::PlainText);
        m_size->setFont(Style::font(Style::Text::callout));
        m_size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // Sizes line up down the list.
        m_size->setMinimumWidth(sizeColumnWidth(m_size->font()));
        row->addWidget(m_size);
    }
    if (trailing) {
        trailing->setParent(this);
        row->addWidget(trailing);
    }

    setOn(isOn);
}

void SelectableRow::setOn(bool isOn)
{
    m_isOn = isOn;
    m_check->setChecked(isOn);
    // Dimming follows the check, not whether the box can be used. Texts go half-way to the
    // background but keep 4.5:1; the icon is drawn at half strength.
    const QColor background = palette().color(QPalette::Window);
    auto shade = [&](const QColor& c) { return isOn ? c : Style::inactive(c, background); };
    m_title->setColor(shade(Style::primary(palette())));
    if (m_subtitle)
        m_subtitle->setColor(shade(Style::secondary(palette())));
    if (m_size) {
        QPalette pal = m_size->palette();
        pal.setColor(QPalette::WindowText, shade(Style::secondary(palette())));
        m_size->setPalette(pal);
    }
    if (m_image) {
        const int px = Style::metric(16);
        QPixmap pm = m_icon.pixmap(QSize(px, px), devicePixelRatioF());
        if (!isOn) {
            QPixmap faded(pm.size());
            faded.setDevicePixelRatio(pm.devicePixelRatio());
            faded.fill(Qt::transparent);
            QPainter p(&faded);
            p.setOpacity(0.5);
            p.drawPixmap(0, 0, pm);
            p.end();
            pm = faded;
        }
        m_image->setPixmap(pm);
    }
}

qreal SelectableRow::opacity() const { return m_isOn ? 1.0 : 0.5; }
