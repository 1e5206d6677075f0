#pragma once
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class AppDelegate;
class AppModel;
class QWidget;
class MenuBarExtra;
class MenuBarLabel;
class Updater;
class Windows;

// The application: owns the delegate, the one application model and the updater, declares the
// window scenes by id and the menu-bar extra with its label.
class DustletApp : public QObject {
    Q_OBJECT
public:
    // One row of the scene table.
    struct SceneInfo {
        const char* id;
        const char* title;   // English source text (context "DustletApp")
        bool centred;
        std::optional<QSize> defaultSize;   // resizable from this size; else the content's size
        QWidget* (*content)(const DustletApp& app);   // makes the window's content
    };
    // The ten window scenes, in declaration order.
    static const QList<SceneInfo>& sceneTable();

    DustletApp();
    ~DustletApp() override;

    // Sets the application up, registers the built windows, shows the menu-bar extra and runs
    // the delegate's launch handler.
    void launch();
    // Shows the panel (another start of the program asked for it).
    void showPanel();

    AppDelegate& delegate() const { return *m_delegate; }
    AppModel& model() const { return *m_model; }
    Updater& updater() const { return *m_updater; }
    Windows& windows() const { return *m_windows; }
    MenuBarExtra& menuBarExtra() const { return *m_extra; }
    MenuBarLabel& menuBarLabel() const { return *m_label; }

private:
    void registerScenes();

    AppDelegate* m_delegate = nullptr;
    AppModel* m_model = nullptr;
    Updater* m_updater = nullptr;
    Windows* m_windows = nullptr;
    MenuBarExtra* m_extra = nullptr;
    MenuBarLabel* m_label = nullptr;
};
