#pragma once
#include "views/components/ConfirmSheet.h"

#include <QPointer>
#include <QWidget>

class AppModel;
class Windows;

// The content of the "confirm" window: the model's pending cleanup in a confirmation sheet.
// A new request replaces the sheet (with the permanent-delete choice off again); when nothing
// is pending the window closes itself. While everything is being cleaned, confirming is off.
class ConfirmWindowView : public QWidget {
    Q_OBJECT
public:
    ConfirmWindowView(AppModel& model, Windows& windows, QWidget* parent = nullptr);

    // The sheet shown now; none while nothing is pending.
    ConfirmSheet* sheet() const { return m_sheet; }

protected:
    void showEvent(QShowEvent*) override;

private:
    void rebuild();
    void dismiss();

    AppModel& m_model;
    Windows& m_windows;
    QPointer<ConfirmSheet> m_sheet;
};
