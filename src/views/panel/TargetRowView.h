#pragma once
#include "AppModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class ElidedLabel;
class ProgressSpinner;
class QCheckBox;
class QLabel;
class QToolButton;
class SymbolView;

// One row of the panel's developer list: include checkbox, symbol, name and detail, an info
// button with a popover on what the target is, the size column and a clean button. The list
// keeps the row and hands it each new state, so an open popover survives updates.
class TargetRowView : public QWidget {
    Q_OBJECT
public:
    enum class SizeState { scanning, unknown, measured };

    TargetRowView(AppModel& model, const TargetState& state, std::function<void()> onClean, QWidget* parent = nullptr);

    const TargetState& state() const { return m_state; }
    // Shows a new state of the same target in place.
    void setState(const TargetState& state);
    // Re-reads what comes from the model and the settings (enabled, cleaning everything).
    void refresh();

    // A divider under the row, inset on its leading side.
    void setShowsDivider(bool shows);
    bool showsDivider() const { return m_divider; }

    bool isEnabledTarget() const;
    SizeState sizeState() const;
    // The size column's text ("" while scanning below 1 byte) and its help text.
    QString sizeText() const;
    QString sizeToolTip() const;
    // Name and detail colours: dimmed (still 4.5:1) while the target is excluded.
    QColor nameColor() const;
    QColor detailColor() const;
    QColor symbolTint() const;

    QCheckBox* checkBox() const { return m_check; }
    QToolButton* infoButton() const { return m_info; }
    QToolButton* cleanButton() const { return m_clean; }
    bool isCleanSpinnerShown() const;
    bool isSizeSpinnerShown() const;

    // The information popover: opens it (as the info button does), and gives it while open.
    void showInfo();
    QWidget* infoPopover() const { return m_popover; }
    bool isShowingInfo() const;

    // The popover's content for a target: name, why it is safe and its locations.
    static QWidget* makeInfoContent(const CleanupTarget& target, QWidget* parent = nullptr);
    // "Location" for one path, "Locations" for more.
    static QString locationHeading(qsizetype count);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    AppModel& m_model;
    TargetState m_state;
    std::function<void()> m_onClean;
    bool m_divider = false;

    QCheckBox* m_check;
    SymbolView* m_symbol;
    QWidget* m_texts;
    ElidedLabel* m_name;
    ElidedLabel* m_detail;
    QToolButton* m_info;
    QWidget* m_sizeColumn;
    QLabel* m_size;
    ProgressSpinner* m_sizeSpinner;
    QToolButton* m_clean;
    ProgressSpinner* m_cleanSpinner;
    QPointer<QWidget> m_popover;
};
