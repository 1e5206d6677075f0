#pragma once
#include <QLayout>
#include <QList>

// Lays its widgets out left to right and starts a new row where the next one would not fit,
// every row as tall as its tallest item. Its height follows its width.
class FlowLayout : public QLayout {
public:
    FlowLayout(QWidget* parent, int horizontalSpacing, int verticalSpacing);
    ~FlowLayout() override;

    void insertWidget(int index, QWidget* widget);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the visible items in `rect` (only measures when `apply` is false); returns the
    // height they take, margins included.
    int arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> m_items;
    int m_hSpacing;
    int m_vSpacing;
};
