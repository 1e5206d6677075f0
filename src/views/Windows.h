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
        QString title;                       // already translated
        std::function<QWidget*()> content;   // builds the window's content
        bool centred = true;                 // re-centred once shown (behind the content)
        std::optional<QSize> defaultSize;    // freely resizable from this size; else content size
    };

    explicit Windows(QObject* parent = nullptr);
    ~Windows() override;

    void registerScene(Scene scene);
    bool isRegistered(const QString& id) const;
    QStringList registeredIds() const;

    // Opens (or raises) the window of `id`, then activates the application. Returns the window,
    // or nullptr when the id has no scene.
    QWidget* open(const QString& id);
    // Closes the window of `id` if it is open.
    void close(const QString& id);

    QWidget* window(const QString& id) const;
    bool isOpen(const QString& id) const { return window(id) != nullptr; }

    // A frame on screen that opening windows keep clear of (the panel while it is a window of
    // its own), or none. A window that would cover it moves beside it.
    void setKeepClear(std::function<std::optional<QRect>()> frame) { m_keepClear = std::move(frame); }
    // Where a window of frame `window` goes so as not to cover `keepClear` on a screen area
    // `area`: beside it on the right, else on the left, else below, else above, as near to
    // where it was as fits; where it was when it does not cover it or nothing fits.
    static QPoint placeClear(const QRect& window, const QRect& keepClear, const QRect& area);

Q_SIGNALS:
    void opened(const QString& id);
    void closed(const QString& id);

private:
    void keepClear(QWidget* w) const;

    QHash<QString, Scene> m_scenes;
    std::function<std::optional<QRect>()> m_keepClear;
    QHash<QString, QPointer<QWidget>> m_open;
};
