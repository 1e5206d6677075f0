#pragma once
#include <QWidget>

class ElidedLabel;
class ProgressSpinner;
class QLabel;
class QPushButton;

// The middle of a scanning window's toolbar: while a scan runs, a small spinner, its count and
// "Stop" at its own width; once a scan has ended, the folders it searched (plain text, shortened in the middle);
// before the first scan, nothing.
class ScanStatus : public QWidget {
    Q_OBJECT
public:
    explicit ScanStatus(QWidget* parent = nullptr);

    // Shows the running parts while `scanning`, else the folders when `scanned`.
    void setState(bool scanning, bool scanned);
    // The count's line, shortened at its end where the toolbar is narrow, never past `count`.
    void setCountText(const QString& text, const QString& count);
    void setFoldersText(const QString& text);

    ElidedLabel* countLabel() const { return m_count; }
    ElidedLabel* foldersLabel() const { return m_folders; }
    QPushButton* stopButton() const { return m_stop; }

Q_SIGNALS:
    void stopRequested();

private:
    ProgressSpinner* m_spinner;
    ElidedLabel* m_count;
    QPushButton* m_stop;
    ElidedLabel* m_folders;
};
