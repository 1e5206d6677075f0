#pragma once
#include "views/largefiles/FileFinderModel.h"

#include <QWidget>

class AppModel;
class CleanActionButton;
class ElidedLabel;
class FileFinderRows;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;
class ScanStatus;
class SegmentedControl;

// The content of the "largefiles" window: a toolbar with the places to scan, the scan's progress
// or the folder scanned, and the "Largest" / "Duplicates" picker; the start screen or the list of
// the tab shown; and a footer with what is ticked and "Move to Trash".
//
// The tab follows the application model's large-files tab: it is read when the view first comes
// on screen and then taken over each time it changes to a different value. Choosing a segment
// changes only the view's tab.
class LargeFilesView : public QWidget {
    Q_OBJECT
public:
    // `scan` replaces the duplicate scan (tests, pictures); empty: the real one.
    explicit LargeFilesView(AppModel& appModel, FileFinderModel::ScanFunction scan = {}, QWidget* parent = nullptr);
    // The model stays until the scan it runs has ended.
    ~LargeFilesView() override;

    FileFinderModel& model() const { return *m_model; }
    int tab() const { return m_tab; }

    // Parts, for tests.
    QToolButton* scanButton() const { return m_scanButton; }
    QMenu* scanMenu() const { return m_scanMenu; }
    SegmentedControl* picker() const { return m_picker; }
    QListView* largestList() const { return m_largestList; }
    QListView* duplicatesList() const { return m_duplicatesList; }
    FileFinderRows* largestRows() const { return m_largestRows; }
    FileFinderRows* duplicateRows() const { return m_duplicateRows; }
    CleanActionButton* trashButton() const { return m_trash; }
    // The widget that fills the content area now (the start screen, or a list page's spinner,
    // placeholder or list).
    QWidget* shownContent() const;
    // The toolbar's folder (shown once a scan has ended) and scan count.
    ElidedLabel* rootLabel() const;
    ElidedLabel* toolbarCount() const;
    QLabel* selectedCountLabel() const { return m_selectedCount; }
    QLabel* selectedSizeLabel() const { return m_selectedSize; }

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct ListPage {
        QStackedWidget* stack = nullptr;
        QWidget* spinner = nullptr;
        QLabel* count = nullptr;
        QWidget* empty = nullptr;
        QListView* list = nullptr;
    };

    QWidget* buildToolbar();
    QWidget* buildFooter();
    ListPage buildListPage(FileFinderRows* rows, const char* emptyTitle, const char* emptyMessage);
    void setTab(int tab);
    void applyResult();
    void applySelection();
    void updateScreens();
    void updateCounts();

    AppModel& m_appModel;
    FileFinderModel* m_model;
    int m_tab = 0;
    int m_seenTab = 0;   // the application model's tab as last taken over
    bool m_appeared = false;

    QToolButton* m_scanButton = nullptr;
    QMenu* m_scanMenu = nullptr;
    ScanStatus* m_status = nullptr;
    SegmentedControl* m_picker = nullptr;
    QStackedWidget* m_content = nullptr;
    QWidget* m_start = nullptr;
    QStackedWidget* m_tabs = nullptr;
    ListPage m_largest;
    ListPage m_duplicates;
    QListView* m_largestList = nullptr;
    QListView* m_duplicatesList = nullptr;
    FileFinderRows* m_largestRows = nullptr;
    FileFinderRows* m_duplicateRows = nullptr;
    QLabel* m_selectedCount = nullptr;
    QLabel* m_selectedSize = nullptr;
    CleanActionButton* m_trash = nullptr;
};
