#pragma once
#include <QWidget>

class ElidedLabel;
class ProgressSpinner;
class QLabel;
class QPushButton;

// The middle of a scanning window's toolbar: while a scan runs, a small spinner, its count and
// "Stop"; once a scan has ended, the folders it searched (plain text, shortened in the middle);
// before the first scan, nothing.
class ScanStatus : public QWidget {
    Q_OBJECT
public:
    explicit ScanStatus(QWidget* parent = nullptr);

    // Shows the running parts while `scanning`, else the folders when `scanned`.
    void setState(bool scanning, bool scanned);
    void setCountText(const QString& text);
    void setFoldersText(const QString& text);

    QLabel* countLabel() const { return m_count; }
    ElidedLabel* foldersLabel() const { return m_folders; }
    QPushButton* stopButton() const { return m_stop; }

Q_SIGNALS:
    void stopRequested();

private:
    ProgressSpinner* m_spinner;
    QLabel* m_count;
    QPushButton* m_stop;
    ElidedLabel* m_folders;
};
