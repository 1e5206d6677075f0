#include "views/components/SelectableRow.h"

#include "platform/ByteCountFormatter.h"
#include "views/components/ElidedLabel.h"
#include "views/components/Style.h"

#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

SelectableRow::SelectableRow(bool isOn, bool enabled, std::function<void()> toggle, const std::optional<QIcon>& icon,
                             const QString& title, const std::optional<QString>& subtitle, std::optional<qint64> size,
                             QWidget* trailing, QWidget* parent)
    : QWidget(parent), m_isOn(isOn), m_toggle(std::move(toggle))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(10);

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
    row->addWidget(m_check);

    if (icon) {
        auto* image = new QLabel(this);
        image->setFixedWidth(18);
        image->setAlignment(Qt::AlignCenter);
        image->setPixmap(icon->pixmap(16, 16));
        row->addWidget(image);
    }

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* titleLabel = new ElidedLabel(title, this);
    titleLabel->setFont(Style::font(Style::Text::callout));
    texts->addWidget(titleLabel);
    if (subtitle) {
        auto* sub = new ElidedLabel(*subtitle, this);
        sub->setFont(Style::monospaced(Style::Text::caption2));
        sub->setColor(Style::secondary(palette()));
        texts->addWidget(sub);
    }
    row->addLayout(texts, 1);
    row->addSpacing(8);

    if (size) {
        m_sizeText = formatBytes(*size);
        auto* sizeLabel = new QLabel(m_sizeText, this);
        sizeLabel->setTextFormat(Qt::PlainText);
        sizeLabel->setFont(Style::font(Style::Text::callout));
        QPalette pal = sizeLabel->palette();
        pal.setColor(QPalette::WindowText, Style::secondary(palette()));
        sizeLabel->setPalette(pal);
        row->addWidget(sizeLabel);
    }
    if (trailing) {
        trailing->setParent(this);
        row->addWidget(trailing);
    }

    m_effect = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(m_effect);
    setOn(isOn);
}

void SelectableRow::setOn(bool isOn)
{
    m_isOn = isOn;
    m_check->setChecked(isOn);
    // Dimming follows the check, not whether the box can be used.
    m_effect->setOpacity(isOn ? 1.0 : 0.5);
}

qreal SelectableRow::opacity() const { return m_effect->opacity(); }
