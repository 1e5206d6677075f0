#include "views/panel/ConfirmWindowView.h"

#include "AppModel.h"
#include "views/WindowIds.h"
#include "views/Windows.h"
#include "views/components/ConfirmSheet.h"
#include "views/components/ScreenFit.h"

#include <QVBoxLayout>

#include <algorithm>

ConfirmWindowView::ConfirmWindowView(AppModel& model, Windows& windows, QWidget* parent)
    : QWidget(parent), m_model(model), m_windows(windows)
{
    setObjectName(QStringLiteral("confirmWindowView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Every new request (also one that replaces an open one) gets a fresh sheet.
    connect(&m_model, &AppModel::pendingCleanChanged, this, &ConfirmWindowView::rebuild);
    connect(&m_model.settings(), &AppSettings::developerModeChanged, this, &ConfirmWindowView::rebuild);
    connect(&m_model, &AppModel::isCleaningAllChanged, this, [this] {
        if (m_sheet)
            m_sheet->setConfirmEnabled(!m_model.isCleaningAll());
    });
    rebuild();
}

void ConfirmWindowView::rebuild()
{
    if (m_sheet) {
        // Possibly inside one of the sheet's own actions: let it finish first.
        m_sheet->hide();
        layout()->removeWidget(m_sheet);
        m_sheet->deleteLater();
        m_sheet = nullptr;
    }
    const std::optional<PendingClean> pending = m_model.pendingClean();
    if (!pending) {
        setFixedSize(1, 1);
        dismiss();
        return;
    }
    QList<ConfirmSheet::Item> items;
    items.reserve(pending->items.size());
    for (const ConfirmItem& item : pending->items)
        items.append({item.label, item.size});
    auto* sheet = new ConfirmSheet(
        pending->title, pending->sizeText, pending->whySafe, items, m_model.settings().developerMode(),
        [this] {
        m_model.setPendingClean(std::nullopt);
        dismiss();
        },
        [this](bool permanently) {
        // The model refuses a confirmation while everything is being cleaned; so does the sheet.
        if (m_model.isCleaningAll())
            return;
        m_model.confirmPending(permanently);
        dismiss();
    },
          this);
    sheet->setConfirmEnabled(!m_model.isCleaningAll());
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The sheet has a fixed width and wrapping texts: reserve the height they need at that width,
    // so that a window sized to its content never squeezes the list under the checkbox. On a
    // screen too small for all of it, only the list gives way.
    if (sheet->hasHeightForWidth()) {
        const int width = sheet->minimumWidth();
        const int room = ScreenFit::largestSize(window(), ScreenFit::availableArea(window())).height();
        sheet->setMinimumHeight(std::clamp(room, sheet->leastHeightForWidth(width), sheet->heightForWidth(width)));
    }
    layout()->addWidget(sheet);
    m_sheet = sheet;
    if (isVisible()) {
        sheet->show();
        sheet->setFocus();
        // The window follows its content, also down to a smaller request that replaced a larger one.
        if (QWidget* w = window(); w != this)
            w->adjustSize();
    }
}

void ConfirmWindowView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_sheet)
        dismiss();
}

void ConfirmWindowView::dismiss()
{
    // Queued: the window may still be opening, or this may run inside one of the sheet's actions.
    QMetaObject::invokeMethod(
        this,
        [this] {
        if (!m_model.pendingClean())
            m_windows.close(QString::fromLatin1(WindowId::confirm));
        },
        Qt::QueuedConnection);
}
