#pragma once
#include <QHash>
#include <QObject>
#include <QPointer>
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

Q_SIGNALS:
    void opened(const QString& id);
    void closed(const QString& id);

private:
    QHash<QString, Scene> m_scenes;
    QHash<QString, QPointer<QWidget>> m_open;
};
