#pragma once
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QAbstractButton;

// A row of joined, mutually exclusive segments without a visible label, at its natural size.
// The caller owns the value: a click on a segment emits `activated` and selects it; setting an
// index the control has no segment for selects none.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    // `titles` are shown as given (translate them first).
    explicit SegmentedControl(const QStringList& titles, QWidget* parent = nullptr);

    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);
    QAbstractButton* segment(int index) const;
    int count() const;

protected:
    void changeEvent(QEvent* event) override;

Q_SIGNALS:
    // The user chose segment `index`.
    void activated(int index);

private:
    void restyle();

    QButtonGroup* m_group;
    bool m_restyling = false;
    int m_current = -1;
};
