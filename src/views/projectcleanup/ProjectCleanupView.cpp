#include "views/projectcleanup/ProjectCleanupView.h"

#include "AppModel.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FileManagerShell.h"
#include "views/components/CleanActionButton.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/FlowLayout.h"
#include "views/components/FocusRing.h"
#include "views/components/Labels.h"
#include "views/components/LinkButton.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/ScanStatus.h"
#include "views/components/SegmentedControl.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/TransientMessage.h"
#include "views/components/WindowCenterer.h"
#include "views/projectcleanup/ProjectCleanupRows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QIcon symbolIcon(const QString& name, const QWidget* w)
{
    return Symbol::icon(name, Style::primary(w->palette()), Style::metric(16));
}

QPushButton* toolbarButton(const QString& text, const QString& symbol, QWidget* parent)
{
    auto* b = new QPushButton(symbolIcon(symbol, parent), text, parent);
    b->setIconSize(QSize(Style::metric(16), Style::metric(16)));
    b->setFont(Style::font(Style::Text::body));
    b->setAutoDefault(false);
    return b;
}

} // namespace

// ---------------------------------------------------------------------------------------------

KindChip::KindChip(const QString& id, QWidget* parent) : QPushButton(parent), m_id(id)
{
    setFont(Style::font(Style::Text::caption, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
    setFlat(true);
    setAttribute(Qt::WA_Hover);
    FocusRing::attach(this);
}

void KindChip::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    QString shown = title;
    shown.replace(QLatin1Char('&'), QLatin1String("&&")); // shown as given, no mnemonic
    setText(shown);
    updateGeometry();
    update();
}

void KindChip::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    setAccessibleDescription(active ? tr("Active filter") : QString());
    update();
}

QColor KindChip::fillColor() const
{
    const QPalette& pal = palette();
    if (m_active)
        return Style::prominentFill(Style::accent(pal), Qt::white);
    // The secondary colour at 15 % over the window.
    return Style::dimmed(Style::secondary(pal), pal.color(QPalette::Window), 0.85, 1.0);
}

QColor KindChip::labelColor() const
{
    if (m_active)
        return Qt::white;
    return Style::contrasting(Style::primary(palette()), fillColor());
}

QSize KindChip::sizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(m_title) + 2 * Style::metric(9), fm.height() + 2 * Style::metric(4));
}

void KindChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
    p.fillPath(capsule, isDown() ? fillColor().darker(112) : fillColor());
    if (FocusRing::isShown(this)) {
        p.setPen(QPen(palette().color(QPalette::Window), 1.5));
        p.drawRoundedRect(r.adjusted(2.5, 2.5, -2.5, -2.5), (r.height() - 5) / 2, (r.height() - 5) / 2);
    }
    p.setFont(font());
    p.setPen(labelColor());
    p.drawText(rect(), Qt::AlignCenter, m_title);
}

// ---------------------------------------------------------------------------------------------

ProjectCleanupView::ProjectCleanupView(AppModel& appModel, ProjectCleanupModel::ScanFunction scan, QWidget* parent)
    : QWidget(parent), m_appModel(appModel), m_model(new ProjectCleanupModel(std::move(scan), this))
{
    setObjectName(QStringLiteral("projectCleanupView"));
    // Never narrower than the toolbar's buttons at their own width (with a large font that is
    // more than the usual minimum).
    setMinimumHeight(Style::metric(520));
    (new WindowCenterer(this))->lower();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addStrut(Style::metric(640));
    column->addWidget(buildToolbar());
    column->addWidget(buildFilterRow());
    column->addWidget(makeDivider(this));
    column->addWidget(buildContent(), 1);
    // What the last move to the Trash has to tell, over the footer.
    column->addWidget(makeMessageLine(m_model->messageHolder(), this));
    column->addWidget(makeDivider(this));
    column->addWidget(buildFooter());

    for (auto signal : {&ProjectCleanupModel::isScanningChanged, &ProjectCleanupModel::hasScannedChanged,
                        &ProjectCleanupModel::foundCountChanged, &ProjectCleanupModel::overrideRootChanged}) {
        connect(m_model, signal, this, &ProjectCleanupView::updateToolbar);
        connect(m_model, signal, this, &ProjectCleanupView::updateContent);
    }
    for (auto signal : {&ProjectCleanupModel::dirsChanged, &ProjectCleanupModel::sortByAgeChanged,
                        &ProjectCleanupModel::groupByProjectChanged, &ProjectCleanupModel::activeKindsChanged})
        connect(m_model, signal, this, &ProjectCleanupView::updateList);
    connect(m_model, &ProjectCleanupModel::selectedChanged, this, &ProjectCleanupView::updateSelection);

    updateList();
    updateToolbar();
    updateContent();
}

QSize ProjectCleanupView::sizeHint() const { return QSize(Style::metric(680), Style::metric(560)); }

QWidget* ProjectCleanupView::buildToolbar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("toolbar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(Style::metric(12), Style::metric(8), Style::metric(12), Style::metric(8));
    row->setSpacing(Style::metric(10));

    m_rescan = toolbarButton(tr("Rescan"), QStringLiteral("arrow.clockwise"), bar);
    m_rescan->setObjectName(QStringLiteral("rescan"));
    connect(m_rescan, &QPushButton::clicked, this, [this] { m_model->scan(); });
    row->addWidget(m_rescan);

    m_choose = toolbarButton(tr("Choose Folder…"), QStringLiteral("folder"), bar);
    m_choose->setObjectName(QStringLiteral("chooseFolder"));
    connect(m_choose, &QPushButton::clicked, this, [this] { m_model->pickFolderAndScan(window()); });
    row->addWidget(m_choose);

    m_status = new ScanStatus(bar);
    connect(m_status, &ScanStatus::stopRequested, this, [this] { m_model->cancel(); });
    row->addWidget(m_status, 1);
    row->addStretch(0);

    m_group = new QToolButton(bar);
    m_group->setObjectName(QStringLiteral("groupToggle"));
    m_group->setText(tr("Group"));
    m_group->setIcon(symbolIcon(QStringLiteral("folder"), bar));
    m_group->setIconSize(QSize(Style::metric(16), Style::metric(16)));
    m_group->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_group->setFont(Style::font(Style::Text::body));
    m_group->setCheckable(true);
    m_group->setAutoRaise(true);
    m_group->setToolTip(tr("Group build folders by project"));
    connect(m_group, &QToolButton::toggled, this, [this](bool on) {
        if (on != m_model->groupByProject())
            m_model->setGroupByProject(on);
    });
    row->addWidget(m_group);

    m_sort = new SegmentedControl({tr("Size"), tr("Oldest")}, bar);
    m_sort->setObjectName(QStringLiteral("sortPicker"));
    m_sort->setCurrentIndex(0);
    connect(m_sort, &SegmentedControl::activated, this, [this](int index) { m_model->setSortByAge(index == 1); });
    row->addWidget(m_sort);
    // As tall with the order picker hidden as with it shown: the list does not jump when the
    // first folder arrives.
    const int tallest =
        std::max({m_sort->sizeHint().height(), m_rescan->sizeHint().height(), m_group->sizeHint().height()});
    bar->setMinimumHeight(tallest + 2 * Style::metric(8));
    return bar;
}

QWidget* ProjectCleanupView::buildFilterRow()
{
    m_filterRow = new QWidget(this);
    m_filterRow->setObjectName(QStringLiteral("filterRow"));
    auto* column = new QVBoxLayout(m_filterRow);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeDivider(m_filterRow));

    // The chips and "Clear" run on in further rows where one row has no room for them.
    auto* chips = new QWidget(m_filterRow);
    chips->setObjectName(QStringLiteral("chips"));
    m_chipLayout = new FlowLayout(chips, Style::metric(6), Style::metric(6));
    m_chipLayout->setContentsMargins(Style::metric(12), Style::metric(6), Style::metric(12), Style::metric(6));
    m_clear = new LinkButton(tr("Clear"), Style::font(Style::Text::caption), chips);
    m_clear->setObjectName(QStringLiteral("clearFilter"));
    connect(m_clear, &QPushButton::clicked, this, [this] { m_model->setActiveKinds({}); });
    m_chipLayout->addWidget(m_clear);
    column->addWidget(chips);
    return m_filterRow;
}

QWidget* ProjectCleanupView::buildContent()
{
    m_content = new QStackedWidget(this);

    m_rows = new ProjectCleanupRows(this);
    m_delegate = new ProjectCleanupDelegate(this);
    m_list = new ProjectCleanupList(m_content);
    m_list->setObjectName(QStringLiteral("folderList"));
    m_list->setModel(m_rows);
    m_list->setItemDelegate(m_delegate);
    m_content->addWidget(m_list);
    connect(m_delegate, &ProjectCleanupDelegate::toggleRequested, this,
            [this](const QString& p) { m_model->toggle(p); });
    connect(m_delegate, &ProjectCleanupDelegate::pinRequested, this, &ProjectCleanupView::pinPath);
    connect(m_delegate, &ProjectCleanupDelegate::groupToggleRequested, this, &ProjectCleanupView::toggleGroupAt);
    connect(m_delegate, &ProjectCleanupDelegate::revealRequested, this,
            [](const QString& p) { FileManagerShell::reveal(p); });
    connect(m_list, &QWidget::customContextMenuRequested, this, &ProjectCleanupView::showContextMenu);

    m_scanning = new QWidget(m_content);
    m_scanning->setObjectName(QStringLiteral("scanningIndicator"));
    auto* centred = new QVBoxLayout(m_scanning);
    centred->setSpacing(Style::metric(10));
    centred->addStretch(1);
    centred->addWidget(new ProgressSpinner(Style::metric(20), m_scanning), 0, Qt::AlignHCenter);
    m_scanningText = makePlainLabel(QString(), Style::font(Style::Text::body), Style::secondary(palette()), m_scanning);
    m_scanningText->setAlignment(Qt::AlignCenter);
    m_scanningText->setWordWrap(true);
    centred->addWidget(m_scanningText);
    centred->addStretch(1);
    m_content->addWidget(m_scanning);

    m_empty = new EmptyState(QStringLiteral("checkmark.circle"),
                             QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "No build folders found")), QString(),
                             nullptr, m_content);
    m_empty->setObjectName(QStringLiteral("emptyResult"));
    m_content->addWidget(m_empty);

    m_blank = new QWidget(m_content);
    m_content->addWidget(m_blank);
    return m_content;
}

QWidget* ProjectCleanupView::buildFooter()
{
    auto* footer = new QWidget(this);
    footer->setObjectName(QStringLiteral("footer"));
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(Style::metric(12), Style::metric(10), Style::metric(12), Style::metric(10));
    row->setSpacing(Style::metric(12));

    m_selectAll = new LinkButton(tr("Select All"), Style::font(Style::Text::body), footer);
    m_selectAll->setObjectName(QStringLiteral("selectAll"));
    connect(m_selectAll, &QPushButton::clicked, this, [this] {
        const QList<ProjectDir> visible = m_model->sortedDirs();
        const bool allSelected = !visible.isEmpty() && m_model->visibleSelectedCount() == visible.size();
        m_model->selectAll(!allSelected);
    });
    row->addWidget(m_selectAll);

    auto* figures = new QVBoxLayout;
    figures->setSpacing(1);
    m_summary = makePlainLabel(QString(), Style::font(Style::Text::caption), Style::secondary(palette()), footer);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_selectedSize =
        makePlainLabel(QString(), Style::font(Style::Text::title3, QFont::DemiBold), Style::primary(palette()), footer);
    m_selectedSize->setObjectName(QStringLiteral("selectedSize"));
    figures->addWidget(m_summary);
    figures->addWidget(m_selectedSize);
    row->addLayout(figures);
    row->addStretch(1);

    m_trash = new CleanActionButton(
        tr("Move to Trash"), QStringLiteral("trash"), false, [this] { confirmTrash(); }, footer);
    m_trash->setObjectName(QStringLiteral("moveToTrash"));
    row->addWidget(m_trash);
    return footer;
}

void ProjectCleanupView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_model->setAppModel(&m_appModel);
    if (!m_model->hasScanned() && !m_model->isScanning())
        m_model->scan();
}

void ProjectCleanupView::setNow(const std::optional<QDateTime>& now) { m_rows->setNow(now); }

// ---------------------------------------------------------------------------------------------

QString ProjectCleanupView::confirmTitle(int count)
{
    // Two texts rather than a suffix, so that each language words its own plural.
    return (count == 1 ? tr("Move %1 build folder to the Trash?") : tr("Move %1 build folders to the Trash?"))
        .arg(count);
}

// ---------------------------------------------------------------------------------------------

void ProjectCleanupView::updateToolbar()
{
    const bool scanning = m_model->isScanning();
    const bool scanned = m_model->hasScanned();
    m_rescan->setEnabled(!scanning);
    m_status->setState(scanning, scanned);
    const QString count = QString::number(m_model->foundCount());
    m_status->setCountText(tr("Scanning… %1 found").arg(count), count);
    m_status->setFoldersText(m_model->rootsLabel());
}

void ProjectCleanupView::updateChips()
{
    const QList<KindFacet> facets = m_model->kindFacets();
    m_filterRow->setVisible(facets.size() >= 2);
    QList<KindChip*> existing = chips();
    // The chips follow the kinds in the order they were found; a chip whose kind is in the same
    // place keeps its button (and its keyboard focus).
    for (qsizetype i = 0; i < facets.size(); ++i) {
        const KindFacet& facet = facets[i];
        KindChip* chip = i < existing.size() ? existing[i] : nullptr;
        if (!chip || chip->id() != facet.id) {
            chip = new KindChip(facet.id, m_chipLayout->parentWidget());
            const QString id = facet.id;
            connect(chip, &QPushButton::clicked, this, [this, id] {
                QSet<QString> kinds = m_model->activeKinds();
                if (!kinds.remove(id))
                    kinds.insert(id);
                m_model->setActiveKinds(kinds);
            });
            if (i < existing.size()) {
                delete existing[i];
                existing[i] = chip;
            } else {
                existing.append(chip);
            }
            m_chipLayout->insertWidget(int(i), chip);
        }
        chip->setTitle(tr("%1 %2").arg(facet.label, QString::number(facet.count)));
        chip->setActive(m_model->activeKinds().contains(facet.id));
    }
    for (qsizetype i = facets.size(); i < existing.size(); ++i)
        delete existing[i];
    m_clear->setVisible(!m_model->activeKinds().isEmpty());
}

QList<KindChip*> ProjectCleanupView::chips() const
{
    QList<KindChip*> found;
    for (int i = 0; i < m_chipLayout->count(); ++i) {
        if (auto* chip = qobject_cast<KindChip*>(m_chipLayout->itemAt(i)->widget()))
            found.append(chip);
    }
    return found;
}

void ProjectCleanupView::updateList()
{
    const bool grouped = m_model->groupByProject();
    m_rows->setSelected(m_model->selected());
    m_rows->setRows(grouped ? ProjectCleanupRows::groupedRows(m_model->projectGroups())
                            : ProjectCleanupRows::flatRows(m_model->sortedDirs()));
    m_list->viewport()->update();

    const bool any = !m_model->dirs().isEmpty();
    m_group->setVisible(any);
    m_sort->setVisible(any);
    if (m_group->isChecked() != grouped)
        m_group->setChecked(grouped);
    m_sort->setCurrentIndex(m_model->sortByAge() ? 1 : 0);
    updateChips();
    updateSelection();
    updateContent();
}

void ProjectCleanupView::updateSelection()
{
    m_rows->setSelected(m_model->selected());
    const QList<ProjectDir> visible = m_model->sortedDirs();
    const int selectedCount = m_model->visibleSelectedCount();
    qint64 visibleTotal = 0;
    for (const ProjectDir& dir : visible)
        visibleTotal += dir.size;
    const bool allSelected = !visible.isEmpty() && selectedCount == visible.size();
    m_selectAll->setTitle(allSelected ? tr("Deselect All") : tr("Select All"));
    // With nothing listed there is no selection to count.
    const bool listed = !m_model->dirs().isEmpty();
    m_selectAll->setVisible(listed);
    m_summary->setVisible(listed);
    m_selectedSize->setVisible(listed);
    m_summary->setText(
        tr("%1 of %2 selected · %3 total")
            .arg(QString::number(selectedCount), QString::number(visible.size()), formatBytes(visibleTotal)));
    m_selectedSize->setText(formatBytes(m_model->selectedSize()));
    m_trash->setEnabled(selectedCount != 0);
}

void ProjectCleanupView::updateContent()
{
    const QString roots = m_model->rootsLabel();
    m_scanningText->setText(tr("Scanning %1… %2 found").arg(roots, QString::number(m_model->foundCount())));
    // A root that is not there is no tidy one: a warning, and each missing root named.
    const QStringList& missing = m_model->missingRoots();
    const char* title = QT_TRANSLATE_NOOP("EmptyState", "No build folders found");
    if (!missing.isEmpty() && searchedRoots().isEmpty())
        title = missing.size() == 1 ? QT_TRANSLATE_NOOP("EmptyState", "Project folder not found")
                                    : QT_TRANSLATE_NOOP("EmptyState", "Project folders not found");
    m_empty->setIcon(missing.isEmpty() ? QStringLiteral("checkmark.circle")
                                       : QStringLiteral("exclamationmark.triangle.fill"));
    m_empty->setTitle(QString::fromLatin1(title));
    if (QLabel* message = m_empty->messageLabel())
        message->setText(emptyMessage());

    if (!m_model->dirs().isEmpty())
        m_content->setCurrentWidget(m_list);
    else if (m_model->isScanning())
        m_content->setCurrentWidget(m_scanning);
    else if (m_model->hasScanned())
        m_content->setCurrentWidget(m_empty);
    else
        m_content->setCurrentWidget(m_blank);
}

QWidget* ProjectCleanupView::shownContent() const { return m_content->currentWidget(); }

QStringList ProjectCleanupView::searchedRoots() const
{
    const QStringList& missing = m_model->missingRoots();
    QStringList searched;
    for (const QString& root : m_model->effectiveRoots()) {
        const QString shown = Paths::abbreviateHome(Paths::expandTilde(root));
        if (!missing.contains(shown))
            searched.append(shown);
    }
    return searched;
}

QString ProjectCleanupView::emptyMessage() const
{
    // The roots searched, then each one that was not there: a missing root is no tidy one.
    const QStringList& missing = m_model->missingRoots();
    const QStringList searched = searchedRoots();
    QStringList lines;
    if (!searched.isEmpty() || missing.isEmpty())
        lines.append(tr("Nothing to clean under %1.").arg(searched.join(QLatin1String(", "))));
    for (const QString& root : missing)
        lines.append(tr("%1 doesn't exist.").arg(root));
    return lines.join(QLatin1Char('\n'));
}

// ---------------------------------------------------------------------------------------------

void ProjectCleanupView::confirmTrash()
{
    const int count = m_model->visibleSelectedCount();
    if (count == 0)
        return;
    Dialogs::ConfirmRequest request;
    request.title = confirmTitle(count);
    request.message =
        tr("They'll go to the Trash, so you can put them back. Build folders regenerate next time you build.");
    request.confirmLabel = tr("Move %1 to Trash").arg(formatBytes(m_model->selectedSize()));
    request.cancelLabel = tr("Cancel");
    request.destructive = true;
    const QPointer<ProjectCleanupView> self(this);
    Dialogs::confirm(window(), request, [self](bool confirmed) {
        if (self && confirmed)
            self->m_model->trashSelected();
    });
}

void ProjectCleanupView::pinPath(const QString& path)
{
    for (const ProjectDir& dir : m_model->dirs()) {
        if (dir.path == path) {
            m_model->pin(dir);
            return;
        }
    }
}

void ProjectCleanupView::toggleGroupAt(const QString& groupPath)
{
    for (const ProjectGroup& group : m_model->projectGroups()) {
        if (group.path == groupPath) {
            m_model->toggleGroup(group);
            return;
        }
    }
}

void ProjectCleanupView::showContextMenu(const QPoint& at)
{
    const QModelIndex index = m_list->indexAt(at);
    if (!index.isValid() || index.data(ProjectCleanupRows::IsHeaderRole).toBool()
        || m_list->pinnedHeaderRect().contains(at))
        return;
    const QString path = index.data(ProjectCleanupRows::PathRole).toString();
    const QString reveal = index.data(ProjectCleanupRows::RevealPathRole).toString();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QString revealText = FileManagerShell::revealLabel();
    revealText.replace(QLatin1Char('&'), QLatin1String("&&"));
    QAction* revealAction = menu->addAction(revealText, this, [reveal] { FileManagerShell::reveal(reveal); });
    revealAction->setEnabled(!reveal.isEmpty());
    menu->addAction(tr("Never Suggest This Folder"), this, [this, path] { pinPath(path); });
    menu->popup(m_list->viewport()->mapToGlobal(at));
}

QPushButton* ProjectCleanupView::stopButton() const { return m_status->stopButton(); }
ElidedLabel* ProjectCleanupView::toolbarCount() const { return m_status->countLabel(); }
ElidedLabel* ProjectCleanupView::rootsLabel() const { return m_status->foldersLabel(); }
