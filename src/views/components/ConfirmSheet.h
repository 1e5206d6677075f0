#pragma once
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class FitScrollArea;

class QCheckBox;
class QLabel;
class QPushButton;

// The confirmation shown before any cleanup: what will be cleared, about how much it frees,
// why it is safe and, when offered, a choice to skip the Trash. Holds no model: values come
// in, the choice goes out through the actions. Escape cancels, Return confirms.
class ConfirmSheet : public QWidget {
    Q_OBJECT
public:
    struct Item {
        QString label;
        std::optional<qint64> size;
    };

    ConfirmSheet(const QString& title, const std::optional<QString>& sizeText, const std::optional<QString>& whySafe,
                 const QList<Item>& items, bool allowPermanentDelete, std::function<void()> onCancel,
                 std::function<void(bool permanently)> onConfirm, QWidget* parent = nullptr);

    // While false the confirm button and Return do nothing (a cleanup is already running).
    void setConfirmEnabled(bool enabled);

    bool deletePermanently() const { return m_deletePermanently; }

    // Pieces a test or a person looks at.
    QString questionText() const;
    std::optional<QString> sizeLineText() const;
    std::optional<QString> countText() const;
    int listHeight() const;
    // The height it needs at `width` when its list gives way to two rows (a window held to a
    // small screen); heightForWidth() is the height with the whole list.
    int leastHeightForWidth(int width) const;
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }
    QCheckBox* permanentCheckBox() const { return m_permanent; }

    // The list's height for `count` items: count × 33 + 4, at most 200, in lengths for a
    // 13-pixel body that grow with the application font.
    static int listHeightFor(qsizetype count);
    // "1 item", "2 items".
    static QString countLine(qsizetype count);

private:
    void confirm();
    void updateConfirmTitle();

    std::function<void()> m_onCancel;
    std::function<void(bool)> m_onConfirm;
    bool m_deletePermanently = false;
    bool m_confirmEnabled = true;
    QLabel* m_question = nullptr;
    QLabel* m_sizeLine = nullptr;
    QLabel* m_count = nullptr;
    FitScrollArea* m_list = nullptr;
    QCheckBox* m_permanent = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_confirm = nullptr;
};
