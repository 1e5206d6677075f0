#pragma once
#include <QWidget>

class AppModel;
class DiskUsageRingView;
class QLabel;

// Stand-in content of the menu panel until the full panel exists: the disk ring, the label's
// text and a Quit button. Like the panel, it starts the application model when it is first shown.
class MenuPanelStandIn : public QWidget {
    Q_OBJECT
public:
    explicit MenuPanelStandIn(AppModel& model, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent*) override;

private:
    AppModel& m_model;
    DiskUsageRingView* m_ring;
    bool m_started = false;
};
