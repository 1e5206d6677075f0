#pragma once
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QString>

#include <optional>

class AppEvents;
class AppModel;
class StatusItem;
class Windows;

// What the program shows in the menu bar or tray: the drive icon (a warning variant when the
// home volume is low on space) and, if the user wishes, a short text beside it. It lives as long
// as the process and answers "dustlet.requestCleanAll" with a request to clean everything and
// the confirmation window.
class MenuBarLabel : public QObject {
    Q_OBJECT
public:
    MenuBarLabel(AppModel& model, Windows& windows, AppEvents& events, QObject* parent = nullptr);

    // Shows the label on this item and keeps it current.
    void attach(StatusItem& item);

    // "internaldrive.fill.badge.exclamationmark" when the free space is strictly below the
    // threshold, else "internaldrive".
    QString iconName() const;
    // The text beside the icon, none for the icon-only display.
    std::optional<QString> text() const;
    QIcon icon() const;
    // The label as drawn in a menu bar: icon, then 3 px and the text, if there is one.
    QPixmap render(const QColor& color, int height = 22, qreal devicePixelRatio = 1.0) const;

    static QString warningIconName();
    static QString plainIconName();

Q_SIGNALS:
    void changed();

private:
    void refresh();
    void handle(const QString& name);

    AppModel& m_model;
    Windows& m_windows;
    StatusItem* m_item = nullptr;
};
