#pragma once
#include <QWidget>

// A one-pixel horizontal rule across the full width, or inset on its leading side.
class Divider : public QWidget {
    Q_OBJECT
public:
    explicit Divider(QWidget* parent = nullptr, int leadingInset = 0);

    int leadingInset() const { return m_inset; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int m_inset;
};
