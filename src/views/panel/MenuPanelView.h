#pragma once
#include "AppModel.h"
#include "platform/HostPlatform.h"
#include "views/components/CleanActionButton.h"
#include "views/components/FitScrollArea.h"

#include <QDateTime>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <optional>

class CleanActionButton;
class Clock;
class DiskUsageRingView;
class ElidedLabel;
class ProgressSpinner;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QToolButton;
class QVariantAnimation;
class SymbolView;
class TargetRowView;
class Windows;

// One switchable group of the simple list: checkbox, symbol, title and the group's size.
class SimpleGroupRow : public QWidget {
    Q_OBJECT
public:
    SimpleGroupRow(AppModel& model, const AppModel::SimpleGroup& group, QWidget* parent = nullptr);

    const AppModel::SimpleGroup& group() const { return m_group; }
    // Shows a new state of the same group in place.
    void setGroup(const AppModel::SimpleGroup& group);

    void setShowsDivider(bool shows);
    bool showsDivider() const { return m_divider; }

    QCheckBox* checkBox() const { return m_check; }
    // The title's colour: dimmed (still 4.5:1) while the group is excluded.
    QColor titleColor() const;
    QColor symbolTint() const;
    bool isSpinnerShown() const;
    QString sizeText() const;
    QColor sizeColor() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    AppModel& m_model;
    AppModel::SimpleGroup m_group;
    bool m_divider = false;
    QCheckBox* m_check;
    SymbolView* m_symbol;
    ElidedLabel* m_title;
    QLabel* m_size;
    ProgressSpinner* m_spinner;
};

// The content of the tray panel: header with freshness and rescan, the disk ring, the target
// list (simple groups, or sections of target rows in developer mode) and the footer with the
// total, "Clean up", the tools and Settings/About/Quit. It holds no cleanup logic: figures come
// from the model, actions go to the model or open windows by id.
//
// Model changes are gathered and shown once per turn of the event loop; rows are kept by id and
// updated in place.
class MenuPanelView : public QWidget {
    Q_OBJECT
public:
    // Design lengths for a 13-pixel body; the panel scales them with the application font.
    static constexpr int kWidth = 380;
    static constexpr int kRowHeight = 44;
    static constexpr int kHeaderHeight = 28;

    // `clock` gives "now" for the freshness text; the wall clock unless a test hands in another.
    // `platform` decides which tools are offered (the uninstaller only where there are
    // application bundles).
    MenuPanelView(AppModel& model, Windows& windows, Clock* clock = nullptr, QWidget* parent = nullptr,
                  HostPlatform platform = hostPlatform());
    ~MenuPanelView() override;

    // "Scanning…", "" before any scan, "just now", "42s ago", "5m ago", "3h ago".
    static QString freshnessText(bool scanning, const std::optional<QDateTime>& lastScan, const QDateTime& now);
    QString freshnessText() const;
    // Height of the developer list: 44 × max(targets, 1) + 28 × sections, at most 360 (design
    // lengths); listHeight() is the same in the current font's lengths.
    static int listHeightFor(qsizetype targets, qsizetype sections);
    int listHeight() const;
    QString cleanButtonTitle() const;

    // Turns the arrow once more and measures every target again.
    void rescan();
    double rescanSpin() const { return m_rescanSpin; }

    // Pieces a test or a person looks at.
    bool showsSectionedList() const;
    QList<SimpleGroupRow*> groupRows() const;
    TargetRowView* row(const QString& targetId) const;
    QList<TargetRowView*> rows() const;
    QWidget* sectionHeader(CleanupCategory category) const;
    QScrollArea* targetScrollArea() const { return m_scroll; }
    QLabel* freshnessLabel() const { return m_freshness; }
    QToolButton* rescanButton() const { return m_rescan; }
    CleanActionButton* cleanUpButton() const { return m_cleanUp; }
    // The controls in the order Tab visits them: header, list, footer.
    QList<QWidget*> focusChain() const;
    bool isCleanUpSpinnerShown() const;
    QString totalText() const;
    std::optional<QString> statusText() const;
    QToolButton* toolButton(const QString& windowId) const;
    QToolButton* moreButton() const { return m_more; }
    QMenu* toolMenu() const { return m_menu; }
    QToolButton* settingsButton() const { return m_settingsButton; }
    QToolButton* aboutButton() const { return m_aboutButton; }
    QToolButton* quitButton() const { return m_quitButton; }
    // How many times the panel has shown the model's state.
    int updateCount() const { return m_updates; }

    // Category symbol and (translated) title of a section header.
    static QString sectionSymbol(CleanupCategory category);
    static QString sectionTitle(CleanupCategory category);

protected:
    void showEvent(QShowEvent*) override;

private:
    class SectionList;

    void scheduleUpdate();
    void update_();
    void updateSimpleList();
    void updateTargetList();
    void updateFooter();
    void updateToolMenu();
    void updateTabOrder();
    void open(const QString& windowId);
    QToolButton* makeToolButton(const QString& title, const QString& symbol, const QString& objectName);
    QWidget* makeHeader();
    QWidget* makeFooter();

    AppModel& m_model;
    Windows& m_windows;
    Clock* m_clock;
    HostPlatform m_platform;
    bool m_updateQueued = false;
    int m_updates = 0;
    double m_rescanSpin = 0;

    QLabel* m_freshness = nullptr;
    QToolButton* m_rescan = nullptr;
    QVariantAnimation* m_spinAnimation = nullptr;
    DiskUsageRingView* m_ring = nullptr;

    QWidget* m_simple = nullptr;
    QList<SimpleGroupRow*> m_groupRows;
    FitScrollArea* m_simpleScroll = nullptr;
    FitScrollArea* m_scroll = nullptr;
    SectionList* m_sections = nullptr;

    QWidget* m_status = nullptr;
    ElidedLabel* m_statusLabel = nullptr;
    SymbolView* m_statusSymbol = nullptr;
    QLabel* m_total = nullptr;
    CleanActionButton* m_cleanUp = nullptr;
    ProgressSpinner* m_cleanUpSpinner = nullptr;
    QIcon m_cleanUpIcon;
    QHash<QString, QToolButton*> m_tools;
    QToolButton* m_more = nullptr;
    QMenu* m_menu = nullptr;
    std::optional<bool> m_menuDeveloperMode;
    QToolButton* m_settingsButton = nullptr;
    QToolButton* m_aboutButton = nullptr;
    QToolButton* m_quitButton = nullptr;
};
