#pragma once
#include <QList>
#include <QScrollArea>

class QVBoxLayout;

// The scrolling list of a tool window: rows one under another, each followed by a divider
// inset 16 points at its leading edge, over the window's own background.
class RowList : public QScrollArea {
    Q_OBJECT
public:
    explicit RowList(QWidget* parent = nullptr);

    // The parent to build rows with before handing them to setRows().
    QWidget* rowParent() const;
    // Replaces every row (the list takes them over).
    void setRows(const QList<QWidget*>& rows);

    // The rows of type T, top to bottom.
    template <typename T>
    QList<T*> rows() const
    {
        QList<T*> found;
        for (QWidget* w : rowWidgets())
            if (auto* row = qobject_cast<T*>(w))
                found << row;
        return found;
    }

private:
    QList<QWidget*> rowWidgets() const;

    QVBoxLayout* m_layout;
};

// The frame every tool window shares: `view` gets its fixed size (in points, growing with the
// font), is centred once shown, and holds a column that starts with `header`; the caller adds
// the rest to the column returned.
QVBoxLayout* makeToolWindowColumn(QWidget* view, double widthPoints, double heightPoints, QWidget* header);
