#pragma once
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

// The one place that opens the program's windows, by id. Each id is a single-instance window:
// opening an id that is open brings that window forward. A window is made from its scene when
// it opens and destroyed when it closes, so its content (and the model it owns) lives exactly
// as long as the window. Ids without a registered scene open nothing.
class Windows : public QObject {
    Q_OBJECT
public:
    struct Scene {
        QString id;
        QString title; // already translated
        std::function<QWidget*()> content; // builds the window's content
        bool centred = true; // re-centred once shown (behind the content)
        std::optional<QSize> defaultSize; // freely resizable from this size; else content size
    };

    explicit Windows(QObject* parent = nullptr);
    ~Windows() override;

    void registerScene(const Scene& scene);
    bool isRegistered(const QString& id) const;
    QStringList registeredIds() const;

    // Opens (or raises) the window of `id`, then activates the application. Returns the window,
    // or nullptr when the id has no scene.
    QWidget* open(const QString& id);
    // Closes the window of `id` if it is open.
    void close(const QString& id);

    QWidget* window(const QString& id) const;
    bool isOpen(const QString& id) const { return window(id) != nullptr; }

    // A window on screen that opening windows keep clear of (the panel while it is a window of
    // its own): its frame and the height of its title bar at the frame's top.
    struct KeepClear {
        QRect frame;
        int titleHeight = 0;
    };
    // What to keep clear of now, or none. A window that would cover it moves beside it.
    void setKeepClear(std::function<std::optional<KeepClear>()> keep) { m_keepClear = std::move(keep); }
    // Where a window of frame `window` goes so as not to cover `keep` on a screen area `area`:
    // beside it on the side with more room, else on the other side, else below, else above, as
    // near to where it was as fits. When it fits whole nowhere: on the side with more room,
    // against the area's edge there, and no higher than just below the title bar (at least
    // `minTitleHeight` high), which so stays in sight. Where it was when it does not cover it.
    static QPoint placeClear(const QRect& window, const KeepClear& keep, const QRect& area, int minTitleHeight = 0);

Q_SIGNALS:
    void opened(const QString& id);
    void closed(const QString& id);

private:
    void keepClear(QWidget* w) const;

    QHash<QString, Scene> m_scenes;
    std::function<std::optional<KeepClear>()> m_keepClear;
    QHash<QString, QPointer<QWidget>> m_open;
};
