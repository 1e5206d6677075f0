#pragma once
#include <QWidget>

class QTimer;

// A small indeterminate progress indicator: a ring of ticks that turns while it is visible.
class ProgressSpinner : public QWidget {
    Q_OBJECT
public:
    explicit ProgressSpinner(int pixelSize = 16, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    bool isSpinning() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    int m_size;
    int m_step = 0;
    QTimer* m_timer;
};
