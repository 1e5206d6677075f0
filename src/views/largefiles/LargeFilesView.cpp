#include "views/largefiles/LargeFilesView.h"

#include "AppModel.h"
#include "models/ScanPreset.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Paths.h"
#include "views/largefiles/FileFinderRows.h"
#include "views/components/TransientMessage.h"
#include "views/components/CleanActionButton.h"
#include "views/components/Divider.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/Labels.h"
#include "views/components/ProgressSpinner.h"
#include "views/components/ScanMenuButton.h"
#include "views/components/ScanStatus.h"
#include "views/components/SegmentedControl.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString scanningText(int count) { return LargeFilesView::tr("Scanning… %n files", nullptr, count); }

} // namespace

LargeFilesView::LargeFilesView(AppModel& appModel, FileFinderModel::ScanFunction scan, QWidget* parent)
    : QWidget(parent), m_appModel(appModel), m_model(new FileFinderModel(std::move(scan)))
{
    setObjectName(QStringLiteral("largeFilesView"));
    setMinimumSize(Style::metric(640), Style::metric(520));
    m_tab = m_seenTab = appModel.largeFilesTab();

    const auto toggle = [this](const QString& path) { m_model->toggle(path); };
    const auto canTrash = [](const QString& path) { return FileFinderModel::canTrash(path); };
    m_largestRows = new FileFinderRows(toggle, canTrash, this);
    m_duplicateRows = new FileFinderRows(toggle, canTrash, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildToolbar());
    column->addWidget(makeDivider(this));

    m_content = new QStackedWidget(this);
    // The start screen's one action, in the prominent style at the large size.
    auto* choose = new CleanActionButton(tr("Choose Folder…"), QString(), true,
                                         [this] { m_model->pickFolderAndScan(window()); }, this);
    choose->setObjectName(QStringLiteral("chooseFolder"));
    m_start = new EmptyState(
        QStringLiteral("doc.on.doc"), QStringLiteral(QT_TRANSLATE_NOOP("EmptyState", "Find large & duplicate files")),
        QStringLiteral(QT_TRANSLATE_NOOP(
            "EmptyState", "Pick a folder to scan for big files and byte-identical duplicates you can safely remove.")),
        choose, m_content);
    m_start->setObjectName(QStringLiteral("startScreen"));
    m_content->addWidget(m_start);

    m_tabs = new QStackedWidget(m_content);
    m_largest = buildListPage(m_largestRows, QT_TRANSLATE_NOOP("EmptyState", "No files found"),
                              QT_TRANSLATE_NOOP("EmptyState", "Nothing in this folder is large enough to list."));
    m_duplicates = buildListPage(
        m_duplicateRows, QT_TRANSLATE_NOOP("EmptyState", "No duplicates found"),
        QT_TRANSLATE_NOOP("EmptyState", "Duplicates are byte-identical copies — unique files don't appear here."));
    m_largestList = m_largest.list;
    m_duplicatesList = m_duplicates.list;
    m_largestList->setObjectName(QStringLiteral("largestList"));
    m_duplicatesList->setObjectName(QStringLiteral("duplicatesList"));
    m_tabs->addWidget(m_largest.stack);
    m_tabs->addWidget(m_duplicates.stack);
    m_content->addWidget(m_tabs);
    column->addWidget(m_content, 1);
    // What the last move to the Trash has to tell, over the footer.
    column->addWidget(makeMessageLine(m_model->messageHolder(), this));

    column->addWidget(makeDivider(this));
    column->addWidget(buildFooter());

    connect(m_model, &FileFinderModel::isScanningChanged, this, &LargeFilesView::updateScreens);
    connect(m_model, &FileFinderModel::hasScannedChanged, this, &LargeFilesView::updateScreens);
    connect(m_model, &FileFinderModel::scannedCountChanged, this, &LargeFilesView::updateCounts);
    connect(m_model, &FileFinderModel::rootPathChanged, this, &LargeFilesView::updateScreens);
    connect(m_model, &FileFinderModel::resultChanged, this, &LargeFilesView::applyResult);
    connect(m_model, &FileFinderModel::selectedChanged, this, &LargeFilesView::applySelection);
    // A change only: the same value set again (the panel's button for the tab already taken
    // over) leaves the segment the user chose here.
    connect(&m_appModel, &AppModel::largeFilesTabChanged, this, [this] {
        const int value = m_appModel.largeFilesTab();
        if (value == m_seenTab)
            return;
        m_seenTab = value;
        setTab(value);
    });

    applyResult();
    applySelection();
    setTab(m_tab);
}

LargeFilesView::~LargeFilesView()
{
    // The scan goes on to its end; the model goes with it.
    disconnect(m_model, nullptr, this, nullptr);
    m_model->release();
}

QSize LargeFilesView::sizeHint() const { return QSize(Style::metric(680), Style::metric(560)); }

QWidget* LargeFilesView::buildToolbar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("toolbar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(Style::metric(12), Style::metric(8), Style::metric(12), Style::metric(8));
    row->setSpacing(Style::metric(10));

    auto* scan = new ScanMenuButton(&ScanPreset::all, bar);
    connect(scan, &ScanMenuButton::scanRequested, this, [this](const QString& path) { m_model->scan(path); });
    connect(scan, &ScanMenuButton::chooseFolderRequested, this, [this] { m_model->pickFolderAndScan(window()); });
    m_scanButton = scan;
    m_scanMenu = scan->scanMenu();
    row->addWidget(m_scanButton);

    m_status = new ScanStatus(bar);
    connect(m_status, &ScanStatus::stopRequested, this, [this] { m_model->stop(); });
    row->addWidget(m_status, 1);
    row->addStretch(1);

    m_picker = new SegmentedControl({tr("Largest"), tr("Duplicates")}, bar);
    m_picker->setObjectName(QStringLiteral("tabPicker"));
    connect(m_picker, &SegmentedControl::activated, this, &LargeFilesView::setTab);
    row->addWidget(m_picker);
    return bar;
}

QWidget* LargeFilesView::buildFooter()
{
    auto* footer = new QWidget(this);
    footer->setObjectName(QStringLiteral("footer"));
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(Style::metric(12), Style::metric(10), Style::metric(12), Style::metric(10));
    auto* figures = new QVBoxLayout;
    figures->setSpacing(1);
    m_selectedCount = makePlainLabel(QString(), Style::font(Style::Text::caption), Style::secondary(palette()), footer);
    m_selectedCount->setObjectName(QStringLiteral("selectedCount"));
    m_selectedSize = makePlainLabel(QString(), Style::font(Style::Text::title3, QFont::DemiBold), Style::primary(palette()),
                                    footer);
    m_selectedSize->setObjectName(QStringLiteral("selectedSize"));
    figures->addWidget(m_selectedCount);
    figures->addWidget(m_selectedSize);
    row->addLayout(figures);
    row->addStretch(1);
    m_trash = new CleanActionButton(tr("Move to Trash"), QStringLiteral("trash"), false,
                                    [this] { m_model->trashSelected(); }, footer);
    m_trash->setObjectName(QStringLiteral("moveToTrash"));
    row->addWidget(m_trash);
    return footer;
}

LargeFilesView::ListPage LargeFilesView::buildListPage(FileFinderRows* rows, const char* emptyTitle,
                                                       const char* emptyMessage)
{
    ListPage page;
    page.stack = new QStackedWidget(m_tabs);

    page.spinner = new QWidget(page.stack);
    auto* centred = new QVBoxLayout(page.spinner);
    centred->setSpacing(Style::metric(10));
    centred->addStretch(1);
    centred->addWidget(new ProgressSpinner(Style::metric(20), page.spinner), 0, Qt::AlignHCenter);
    page.count = makePlainLabel(QString(), Style::font(Style::Text::body), Style::secondary(palette()), page.spinner);
    page.count->setAlignment(Qt::AlignCenter);
    centred->addWidget(page.count);
    centred->addStretch(1);
    page.stack->addWidget(page.spinner);

    page.empty = new EmptyState(QStringLiteral("checkmark.circle"), QString::fromUtf8(emptyTitle),
                                QString::fromUtf8(emptyMessage), nullptr, page.stack);
    page.stack->addWidget(page.empty);

    page.list = new QListView(page.stack);
    page.list->setModel(rows);
    page.list->setItemDelegate(new FileFinderRowDelegate(page.list));
    page.list->setSelectionMode(QAbstractItemView::NoSelection);
    page.list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    page.list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    page.list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page.list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    page.list->setUniformItemSizes(false);
    page.list->setFrameShape(QFrame::NoFrame);
    page.list->setMouseTracking(true);
    // The rows sit on the window's own colour, which the text colours are measured against.
    page.list->viewport()->setBackgroundRole(QPalette::Window);
    page.list->viewport()->setAutoFillBackground(true);
    page.stack->addWidget(page.list);
    return page;
}

void LargeFilesView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_appeared)
        return;
    m_appeared = true;
    m_model->setAppModel(&m_appModel);
    m_seenTab = m_appModel.largeFilesTab();
    setTab(m_seenTab);
}

void LargeFilesView::setTab(int tab)
{
    m_tab = tab;
    m_picker->setCurrentIndex(tab);
    updateScreens();
}

void LargeFilesView::applyResult()
{
    const FileScanResult& result = m_model->result();
    m_largestRows->setRows(FileFinderRows::largestRows(result));
    m_duplicateRows->setRows(FileFinderRows::duplicateRows(result));
    updateScreens();
    applySelection();
}

void LargeFilesView::applySelection()
{
    const QSet<QString>& selected = m_model->selected();
    m_largestRows->setSelected(selected);
    m_duplicateRows->setSelected(selected);
    m_selectedCount->setText(tr("%n selected", nullptr, int(selected.size())));
    m_selectedSize->setText(formatBytes(m_model->selectedSize()));
    m_trash->setEnabled(!selected.isEmpty());
}

void LargeFilesView::updateCounts()
{
    const QString text = scanningText(m_model->scannedCount());
    m_status->setCountText(text, QString::number(m_model->scannedCount()));
    m_largest.count->setText(text);
    m_duplicates.count->setText(text);
}

void LargeFilesView::updateScreens()
{
    const bool scanning = m_model->isScanning();
    const bool scanned = m_model->hasScanned();
    updateCounts();

    m_status->setState(scanning, scanned);
    m_status->setFoldersText(Paths::abbreviateHome(m_model->rootPath()));
    m_picker->setVisible(scanning || scanned);

    if (!scanning && !scanned) {
        m_content->setCurrentWidget(m_start);
        return;
    }
    m_content->setCurrentWidget(m_tabs);
    m_tabs->setCurrentWidget(m_tab == 1 ? m_duplicates.stack : m_largest.stack);
    for (const ListPage* page : {&m_largest, &m_duplicates}) {
        const bool empty = page->list->model()->rowCount() == 0;
        page->stack->setCurrentWidget(!empty ? page->list : scanning ? page->spinner : page->empty);
    }
}

QWidget* LargeFilesView::shownContent() const
{
    if (m_content->currentWidget() == m_start)
        return m_start;
    auto* page = qobject_cast<QStackedWidget*>(m_tabs->currentWidget());
    return page ? page->currentWidget() : nullptr;
}

ElidedLabel* LargeFilesView::rootLabel() const { return m_status->foldersLabel(); }

ElidedLabel* LargeFilesView::toolbarCount() const { return m_status->countLabel(); }
