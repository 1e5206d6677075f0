#pragma once
#include <QWidget>

#include <functional>

class QLabel;
class QToolButton;

// A value with a label and a pair of step buttons ("−", "+"). It holds the value as given (a
// stored 5.5 stays 5.5 and steps to 6.5). The buttons and the steps go by the value clamped to
// the range (NaN counting as the lower end), so a value outside it always has a way back: each
// step adds or takes one step from the clamped value and clamps the result; a button is disabled
// once the clamped value reaches its end of the range. Up and Down step from the keyboard.
class Stepper : public QWidget {
    Q_OBJECT
public:
    using LabelText = std::function<QString(double value)>;

    Stepper(double lower, double upper, double step, LabelText label, QWidget* parent = nullptr);

    double value() const { return m_value; }
    // Shows `value` without emitting.
    void setValue(double value);
    QString labelText() const;

    void stepUp();
    void stepDown();
    bool canStepUp() const { return clamped() < m_upper; }
    bool canStepDown() const { return clamped() > m_lower; }

    QToolButton* downButton() const { return m_down; }
    QToolButton* upButton() const { return m_up; }

Q_SIGNALS:
    // The user stepped to `value`.
    void valueChanged(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    double clamped() const;
    void stepTo(double value);
    void refresh();

    double m_lower, m_upper, m_step;
    double m_value;
    LabelText m_text;
    QLabel* m_label;
    QToolButton* m_down;
    QToolButton* m_up;
};
