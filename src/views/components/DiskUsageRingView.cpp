#include "views/components/DiskUsageRingView.h"

#include "platform/ByteCountFormatter.h"
#include "views/components/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {
// The ring's lengths, scaled with the application font (it holds the percentage).
int ringSize() { return Style::metric(68); }
int strokeWidth() { return Style::metric(9); }
} // namespace

DiskUsageRingView::Figures DiskUsageRingView::figures(const DiskInfo& disk)
{
    Figures f;
    const qint64 total = disk.total;
    const qint64 available = disk.availableImportant;
    // used = max(total − available, 0), without overflowing on extreme inputs.
    if (available < 0 && total > std::numeric_limits<qint64>::max() + available)
        f.used = std::numeric_limits<qint64>::max();
    else
        f.used = std::max<qint64>(total - available, 0);
    if (total >= 1)
        f.fraction = std::clamp(double(f.used) / double(total), 0.0, 1.0);
    f.percent = total >= 1 ? int(std::round(f.fraction * 100.0)) : 0;
    if (total < 1 || f.fraction < 0.75)
        f.tint = Tint::green;
    else if (f.fraction < 0.9)
        f.tint = Tint::orange;
    else
        f.tint = Tint::red;
    return f;
}

QColor DiskUsageRingView::color(Tint tint)
{
    switch (tint) {
    case Tint::green: return Style::green();
    case Tint::orange: return Style::orange();
    case Tint::red: return Style::red();
    }
    return Style::green();
}

DiskUsageRingView::DiskUsageRingView(const DiskInfo& disk, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Style::metric(18));
    row->addStretch(1);
    row->addSpacing(ringSize()); // the ring is painted into this space

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Style::metric(2));
    auto label = [this](Style::Text style, std::optional<QFont::Weight> weight, const QColor& color, bool rounded) {
        auto* l = new QLabel(this);
        l->setTextFormat(Qt::PlainText);
        l->setFont(rounded ? Style::rounded(style, weight) : Style::font(style, weight));
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, color);
        l->setPalette(pal);
        return l;
    };
    m_free = label(Style::Text::title2, QFont::DemiBold, Style::primary(palette()), true);
    m_total = label(Style::Text::callout, std::nullopt, Style::secondary(palette()), false);
    m_used = label(Style::Text::caption, std::nullopt, Style::tertiary(palette()), false);
    texts->addWidget(m_free);
    texts->addWidget(m_total);
    texts->addWidget(m_used);
    row->addLayout(texts);
    row->addStretch(1);
    setMinimumHeight(ringSize());

    m_animation = new QVariantAnimation(this);
    m_animation->setDuration(400);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_shown = v.toDouble();
        update();
    });

    m_disk = disk;
    m_figures = figures(disk);
    m_shown = m_figures.fraction;
    refreshTexts();
}

void DiskUsageRingView::setDisk(const DiskInfo& disk)
{
    m_disk = disk;
    const Figures next = figures(disk);
    const bool moved = next.fraction != m_figures.fraction;
    m_figures = next;
    refreshTexts();
    if (moved) {
        m_animation->stop();
        m_animation->setStartValue(m_shown);
        m_animation->setEndValue(next.fraction);
        m_animation->start();
    }
    update();
}

QString DiskUsageRingView::percentText() const { return QString::number(m_figures.percent) + QLatin1Char('%'); }
QString DiskUsageRingView::freeText() const { return formatBytes(m_disk.availableImportant); }
QString DiskUsageRingView::totalText() const { return tr("free of %1").arg(formatBytes(m_disk.total)); }
QString DiskUsageRingView::usedText() const { return tr("%1 used").arg(formatBytes(m_figures.used)); }

void DiskUsageRingView::refreshTexts()
{
    m_free->setText(freeText());
    m_total->setText(totalText());
    m_used->setText(usedText());
}

QSize DiskUsageRingView::sizeHint() const
{
    const QSize texts = layout() ? layout()->sizeHint() : QSize();
    return QSize(texts.width(), std::max(ringSize(), texts.height()));
}

void DiskUsageRingView::paintEvent(QPaintEvent*)
{
    // The ring sits in the spacer left of the texts.
    const int textsLeft = m_free->geometry().left();
    const int kRing = ringSize();
    const int kStroke = strokeWidth();
    const QRectF ring(textsLeft - Style::metric(18) - kRing, (height() - kRing) / 2.0, kRing, kRing);
    const QRectF arcRect = ring.adjusted(kStroke / 2.0, kStroke / 2.0, -kStroke / 2.0, -kStroke / 2.0);

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    QColor track = Style::secondary(palette());
    track.setAlphaF(track.alphaF() * 0.18);
    p.setPen(QPen(track, kStroke, Qt::SolidLine, Qt::FlatCap));
    p.drawEllipse(arcRect);

    if (m_shown > 0) {
        p.setPen(QPen(color(m_figures.tint), kStroke, Qt::SolidLine, Qt::RoundCap));
        // From the top, clockwise (Qt counts angles anticlockwise in 1/16 degrees).
        p.drawArc(arcRect, 90 * 16, -int(std::round(m_shown * 360.0 * 16)));
    }

    const QFont percentFont = Style::rounded(Style::Text::title3, QFont::DemiBold);
    const QFont usedFont = Style::font(Style::Text::caption2);
    const QFontMetrics pm(percentFont), um(usedFont);
    const qreal blockHeight = pm.height() + um.height();
    const qreal top = ring.center().y() - blockHeight / 2;
    p.setPen(Style::primary(palette()));
    p.setFont(percentFont);
    p.drawText(QRectF(ring.left(), top, ring.width(), pm.height()), Qt::AlignCenter, percentText());
    p.setPen(Style::secondary(palette()));
    p.setFont(usedFont);
    p.drawText(QRectF(ring.left(), top + pm.height(), ring.width(), um.height()), Qt::AlignCenter, tr("used"));
}
