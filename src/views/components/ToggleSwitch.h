#pragma once
#include <QAbstractButton>

// An on/off switch: a capsule track, in the accent colour while on, with a round knob. It is a
// checkable button (Space toggles it, `toggled` reports the change); its accessible name is the
// label of the row it switches, since the switch itself draws no text.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToggleSwitch(const QString& accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    bool hitButton(const QPoint& pos) const override;
};
