#pragma once
// The kit of dustlet-render: each window adds a file render_<window>.cpp that registers its
// pictures with DUSTLET_RENDER; the tool draws them all (or those whose name starts with
// --only), offscreen, in a temporary home, with a seeded application model.
#include <QColor>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>

class AppModel;
class QImage;
class QWidget;

namespace RenderKit {

// Writes `image` as <output>/<name>.png (when `name` passes --only).
void save(const QImage& image, const QString& name);
// Draws `w` (then deletes it) at its preferred size, or at `size` (a width alone: the height the
// content wants at it), over `backdrop` when given (translucent views), after `settleMs`.
void shoot(QWidget* w, const QString& name, QSize size = {}, QColor backdrop = {}, int settleMs = 0);
// A plain column of widgets.
QWidget* column(const QList<QWidget*>& items, int spacing = 8);
// Lets queued work (ready futures, queued calls) come back.
void settle();
// Lets work come back until `reached` holds (or 10 s pass, reported on stderr), then settles:
// a picture waits for the state it names rather than for a fixed time.
void waitUntil(const std::function<bool()>& reached, const char* what);
// Whether pictures named `name` are wanted (--only).
bool wanted(const QString& name);

// The seeded application model (fixed disk figures and sizes, nothing real measured or cleared).
AppModel& model();
// The temporary home folder the tool runs in.
QString home();
// Whether the dark palette is in use (--dark).
bool dark();
// Shows the views built from now on in the language `code` ("en": the source language), as a
// start with that language chosen would (--lang CODE does it for every picture).
void setLanguage(const QString& code);
// The language of the run (--lang; "en" without it).
QString language();

struct Renderer {
    QString name; // the window id the pictures start with, for --only
    std::function<void()> render;
    int order = 100; // lower first
};
int add(Renderer renderer);

} // namespace RenderKit

#define DUSTLET_RENDER_CAT2(a, b) a##b
#define DUSTLET_RENDER_CAT(a, b) DUSTLET_RENDER_CAT2(a, b)
// Registers a function drawing the pictures whose names start with `prefix`.
#define DUSTLET_RENDER(prefix, order, fn)                                                                              \
    static const int DUSTLET_RENDER_CAT(dustletRender_, __LINE__) = RenderKit::add({QStringLiteral(prefix), fn, order})
