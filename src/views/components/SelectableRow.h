#pragma once
#include <QIcon>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class ElidedLabel;
class QLabel;

// A checkbox row of a selectable list: checkbox, optional icon, title with optional subtitle,
// optional size, and the caller's trailing widget. The row never changes its own check state:
// a click calls `toggle` and the caller rebuilds (or updates) the row. The texts are shown as
// given. The row is dimmed while it is not checked.
class SelectableRow : public QWidget {
    Q_OBJECT
public:
    SelectableRow(bool isOn, bool enabled, std::function<void()> toggle, const std::optional<QIcon>& icon,
                  const QString& title, const std::optional<QString>& subtitle, std::optional<qint64> size,
                  QWidget* trailing = nullptr, QWidget* parent = nullptr);

    bool isOn() const { return m_isOn; }
    // Re-states the check; the row redraws with it.
    void setOn(bool isOn);

    QCheckBox* checkBox() const { return m_check; }
    // How strongly the row is drawn: 1 when checked, 0.5 when not (texts half-way to the
    // background, never below 4.5:1; the icon at half strength).
    qreal opacity() const;
    QString sizeText() const { return m_sizeText; }

private:
    bool m_isOn;
    std::function<void()> m_toggle;
    QCheckBox* m_check;
    ElidedLabel* m_title = nullptr;
    ElidedLabel* m_subtitle = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_image = nullptr;
    QIcon m_icon;
    QString m_sizeText;
};
