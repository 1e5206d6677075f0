#pragma once
#include "models/ScanPreset.h"

#include <QList>
#include <QToolButton>

#include <functional>

class QMenu;

// The "Scan" menu button of the windows that scan a folder: one entry per place (its label in
// the interface language, its symbol), a divider and "Choose Folder…". The places are read
// afresh each time the menu opens (the desktop's folders and the mounted disks may change).
class ScanMenuButton : public QToolButton {
    Q_OBJECT
public:
    using Places = std::function<QList<ScanPreset>()>;

    explicit ScanMenuButton(Places places, QWidget* parent = nullptr);

    QMenu* scanMenu() const { return m_menu; }
    // Builds the entries anew (done as the menu opens).
    void fill();

Q_SIGNALS:
    void scanRequested(const QString& path);
    void chooseFolderRequested();

private:
    Places m_places;
    QMenu* m_menu;
};
