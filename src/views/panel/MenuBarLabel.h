#pragma once
#include <QIcon>
#include <QObject>
#include <QPalette>
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
    // What hovering the icon shows: the program and what its figure is ("Dustlet — 85% used").
    QString toolTip() const;
    // The icon for the tray: drawn to read on a light and a dark bar alike (a glyph with a
    // contrasting outline, in the colours that suit the palette), or a template image where the
    // system colours it for its bar.
    QIcon icon() const;
    // One size of the tray icon: the drive in `glyph` with an outline in `halo`; the warning
    // variant carries a red badge with a white "!".
    static QImage trayImage(bool warning, int pixelSize, qreal devicePixelRatio, const QColor& glyph, const QColor& halo);
    // Glyph and outline colours for a palette: light on dark desktops, dark on light ones.
    static std::pair<QColor, QColor> trayColors(const QPalette& palette);
    // The label as drawn in a menu bar: icon, then 3 px and the text, if there is one.
    QPixmap render(const QColor& color, int height = 22, qreal devicePixelRatio = 1.0) const;

    static QString warningIconName();
    static QString plainIconName();

Q_SIGNALS:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void handle(const QString& name);

    AppModel& m_model;
    Windows& m_windows;
    StatusItem* m_item = nullptr;
};
