#include "views/components/FocusRing.h"

#include "views/components/Style.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QStyleOptionButton>

namespace {

constexpr auto kName = "focusRing";

// Drawn over the control as its last child, so that it paints after the control itself.
class Ring : public QWidget {
public:
    explicit Ring(QWidget* control) : QWidget(control), m_control(control)
    {
        setObjectName(QLatin1String(kName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_control)
            return false;
        switch (event->type()) {
        case QEvent::FocusIn: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            const bool keyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                || reason == Qt::ShortcutFocusReason
                || (reason != Qt::MouseFocusReason && m_control->window()->testAttribute(Qt::WA_KeyboardFocusChange));
            if (keyboard) {
                setGeometry(m_control->rect());
                raise();
                show();
            }
            break;
        }
        case QEvent::FocusOut:
        case QEvent::Hide:
        case QEvent::MouseButtonPress: // the pointer took over
            hide();
            break;
        case QEvent::Resize: setGeometry(m_control->rect()); break;
        default: break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
        if (auto* box = qobject_cast<QCheckBox*>(m_control)) {
            // Around the box alone when the checkbox has no text beside it.
            QStyleOptionButton option;
            option.initFrom(box);
            option.text = box->text();
            const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
            if (box->text().isEmpty() && indicator.isValid())
                r = QRectF(indicator).adjusted(-2, -2, 2, 2).intersected(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Style::focusRing(m_control->palette()), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, 4, 4);
    }

private:
    QWidget* m_control;
};

} // namespace

namespace FocusRing {

void attach(QWidget* control)
{
    if (!control || control->findChild<QWidget*>(QLatin1String(kName), Qt::FindDirectChildrenOnly))
        return;
    new Ring(control);
}

bool isShown(const QWidget* control)
{
    const QWidget* ring =
        control ? control->findChild<QWidget*>(QLatin1String(kName), Qt::FindDirectChildrenOnly) : nullptr;
    return ring && ring->isVisible();
}

} // namespace FocusRing
