#pragma once
#include <QAbstractButton>

// An on/off switch without a visible label: a rounded track with a knob, filled with the accent
// colour while on. Checkable; give it an accessible name.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override;
};
