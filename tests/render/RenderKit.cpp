// dustlet-render [OUTPUT_FOLDER] [--only PREFIX]… [--dark] [--scale N] [--font-px N] [--lang CODE]
//                [--screen WxH]
// Draws every built view with a seeded model into PNG files (offscreen, in a home of its own), so
// a person can look at them; see usage() for the options. Two runs with the same options draw
// the same pictures: the home lies at the same path every time, and each picture waits for the
// state it names.
#include "RenderKit.h"

#include "Palettes.h"

#include "AppModel.h"
#include "platform/AccessibilityPrefs.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "services/AppLanguage.h"
#include "services/AppSettings.h"
#include "services/Cleaner.h"
#include "services/Scanner.h"
#include "views/components/ScaledControls.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QtConcurrent>

#include <algorithm>
#include <memory>

#include <unistd.h>

namespace RenderKit {

namespace {
QString g_outDir;
QStringList g_only;
QStringList g_written;
QString g_home;
bool g_dark = false;
QString g_language = QStringLiteral("en");
AppModel* g_model = nullptr;

QList<Renderer>& renderers()
{
    static QList<Renderer> list;
    return list;
}

} // namespace

bool wanted(const QString& name)
{
    if (g_only.isEmpty())
        return true;
    return std::any_of(g_only.cbegin(), g_only.cend(), [&](const QString& p) { return name.startsWith(p); });
}

void save(const QImage& image, const QString& name)
{
    if (!wanted(name))
        return;
    const QString path = QDir(g_outDir).absoluteFilePath(name + QStringLiteral(".png"));
    if (image.save(path))
        g_written << path;
    else
        QTextStream(stderr) << "could not write " << path << "\n";
}

void shoot(QWidget* w, const QString& name, QSize size, QColor backdrop, int settleMs)
{
    if (!wanted(name)) {
        delete w;
        return;
    }
    w->setAttribute(Qt::WA_DontShowOnScreen);
    w->show();
    if (size.isValid()) {
        w->resize(size);
    } else if (size.width() > 0) {
        // This width, the height the content wants at it.
        w->setFixedWidth(size.width());
        w->adjustSize();
        if (w->hasHeightForWidth())
            w->resize(size.width(), w->heightForWidth(size.width()));
    } else {
        w->adjustSize();
    }
    QCoreApplication::processEvents();
    if (settleMs > 0) {
        // Lets appearing animations finish.
        QEventLoop loop;
        QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!backdrop.isValid()) {
        save(w->grab().toImage(), name);
    } else {
        // A translucent view: drawn over a backdrop, as it would be over the desktop.
        QImage image(w->size() * w->devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(w->devicePixelRatioF());
        image.fill(backdrop);
        QPainter p(&image);
        w->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
        p.end();
        save(image, name);
    }
    delete w;
}

QWidget* column(const QList<QWidget*>& items, int spacing)
{
    auto* w = new QWidget;
    auto* l = new QVBoxLayout(w);
    l->setSpacing(spacing);
    for (QWidget* item : items)
        l->addWidget(item);
    return w;
}

void settle()
{
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void waitUntil(const std::function<bool()>& reached, const char* what)
{
    QElapsedTimer waited;
    waited.start();
    while (!reached()) {
        if (waited.elapsed() > 10000) {
            QTextStream(stderr) << "dustlet-render: gave up waiting for " << what << "\n";
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    settle();
}

AppModel& model() { return *g_model; }
QString home() { return g_home; }
bool dark() { return g_dark; }

QString language() { return g_language; }

void setLanguage(const QString& code)
{
    UserDefaults choice(g_home + QStringLiteral("/.config/dustlet/language.plist"));
    choice.setStringArray(AppLanguage::key(), {code});
    AppLanguage::install(choice, {});
}

int add(Renderer renderer)
{
    renderers().append(std::move(renderer));
    return int(renderers().size());
}

namespace {

const char* const kUsage =
    "usage: dustlet-render [OUTPUT_FOLDER] [--only PREFIX]... [--dark] [--scale N] [--font-px N] [--lang CODE]\n"
    "                      [--screen WxH]\n"
    "\n"
    "Draws every view of Dustlet with a seeded model into OUTPUT_FOLDER/<picture>.png (\"render\"\n"
    "by default), offscreen and in a home of its own, and prints the paths written.\n"
    "\n"
    "  --only PREFIX   only the pictures whose names start with PREFIX (repeatable); names start\n"
    "                  with the window's id (settings, diskmap, projectcleanup, ...)\n"
    "  --dark          the dark palette\n"
    "  --scale N       the device pixel ratio (default 2, as on a high-density screen)\n"
    "  --font-px N     the application font's pixel size\n"
    "  --lang CODE     the interface language (\"de\")\n"
    "  --screen WxH    the offscreen screen's size in the views' own lengths (default 1440x900):\n"
    "                  the panel and the confirmation give way on a smaller one as they would\n"
    "  -h, --help      this text; nothing is drawn\n";

// The home every run uses: the same path each time, so that pictures showing paths come out the
// same; a lock keeps two runs from sharing it (the second waits).
class FixedHome {
public:
    FixedHome()
        : m_path(QDir::tempPath() + QStringLiteral("/dustlet-render-") + QString::number(::geteuid())),
          m_lock(m_path + QStringLiteral(".lock"))
    {
        m_lock.setStaleLockTime(0);
        if (!m_lock.lock())
            return;
        if (!clear())
            return;
        if (QDir().mkpath(m_path))
            m_canonical = QDir(m_path).canonicalPath();
    }
    ~FixedHome() { clear(); }
    // Empty when the home could not be made.
    const QString& path() const { return m_canonical; }

private:
    // Removes what an earlier run left: only a real folder of our own, never through a link.
    bool clear()
    {
        const QFileInfo info(m_path);
        if (!info.exists() && !info.isSymLink())
            return true;
        if (info.isSymLink() || !info.isDir() || info.ownerId() != ::geteuid())
            return false;
        return QDir(m_path).removeRecursively();
    }

    QString m_path;
    QLockFile m_lock;
    QString m_canonical;
};

} // namespace

} // namespace RenderKit

int main(int argc, char** argv)
{
    using namespace RenderKit;
    QString scale = QStringLiteral("2");
    int fontPx = 0;
    QString language;
    QSize screen(1440, 900);
    QStringList positional;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            QTextStream(stdout) << kUsage;
            return 0;
        } else if (a == QLatin1String("--only") && hasValue) {
            g_only << QString::fromLocal8Bit(argv[++i]);
        } else if (a == QLatin1String("--dark")) {
            g_dark = true;
        } else if (a == QLatin1String("--scale") && hasValue) {
            scale = QString::fromLocal8Bit(argv[++i]);
        } else if (a == QLatin1String("--font-px") && hasValue) {
            fontPx = QString::fromLocal8Bit(argv[++i]).toInt();
        } else if (a == QLatin1String("--lang") && hasValue) {
            language = QString::fromLocal8Bit(argv[++i]);
        } else if (a == QLatin1String("--screen") && hasValue
                   && QRegularExpression(QStringLiteral("^\\d+x\\d+$"))
                          .match(QString::fromLocal8Bit(argv[i + 1]))
                          .hasMatch()) {
            const QStringList wh = QString::fromLocal8Bit(argv[++i]).split(QLatin1Char('x'));
            screen = QSize(wh[0].toInt(), wh[1].toInt());
        } else if (a.startsWith(QLatin1Char('-')) || !positional.isEmpty()) {
            // An unknown option or a second folder: never taken as a folder to draw into.
            QTextStream(stderr) << "dustlet-render: unexpected argument " << a << "\n\n" << kUsage;
            return 2;
        } else {
            positional << a;
        }
    }

    // A home of its own: the seeded model never sees the real settings or disk.
    FixedHome home;
    if (home.path().isEmpty()) {
        QTextStream(stderr) << "dustlet-render: could not make its home folder in " << QDir::tempPath() << "\n";
        return 1;
    }
    g_home = home.path();
    // An offscreen screen of the size asked for (its pixels are lengths times the scale).
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        const double factor = scale.toDouble() > 0 ? scale.toDouble() : 1.0;
        QFile config(g_home + QStringLiteral("/screen.json"));
        if (!config.open(QIODevice::WriteOnly)) {
            QTextStream(stderr) << "dustlet-render: could not write " << config.fileName() << "\n";
            return 1;
        }
        config.write(QStringLiteral(R"({"screens": [{"name": "render", "x": 0, "y": 0, "width": %1, "height": %2}]})")
                         .arg(qRound(screen.width() * factor))
                         .arg(qRound(screen.height() * factor))
                         .toUtf8());
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    }
    qputenv("HOME", g_home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (g_home + "/.config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (g_home + "/.local/share").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (g_home + "/.cache").toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (g_home + "/etc/xdg").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", scale.toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dustlet"));
    if (g_dark) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }
    if (fontPx > 0) {
        QFont f = QApplication::font();
        f.setPixelSize(fontPx);
        QApplication::setFont(f);
    }
    // As the program does: controls grow with the font.
    ScaledControls::install();
    if (!language.isEmpty()) {
        g_language = language;
        setLanguage(language);
    }
    // Pictures show every animation's final state.
    AccessibilityPrefs::overrideForTesting(AccessibilityPrefs::Prefs{true, false, false});
    g_outDir = positional.isEmpty() ? QStringLiteral("render") : positional.first();
    QDir().mkpath(g_outDir);

    // The seeded model: fixed disk figures and target sizes, no real measuring or clearing.
    UserDefaults defaults(g_home + QStringLiteral("/.config/dustlet/defaults.plist"));
    AppModelEnvironment env;
    env.defaults = &defaults;
    env.home = [] { return g_home; };
    env.diskInfo = [](const QString&) { return DiskInfo{500'000'000'000, 120'000'000'000}; };
    env.clock = &SystemClock::shared();
    env.size = [](const CleanupTarget& target, Scanner::Progress) {
        return QtFuture::makeReadyFuture(Scanner::Measurement(qint64(qHash(target.id) % 5'000'000'000)));
    };
    env.clean = [](const CleanupTarget&, bool, ClearingLogPtr) { return QtFuture::makeReadyFuture(CleanOutcome{}); };
    env.validateCustom = [](const QString&) { return std::optional<QString>(); };
    auto appModel = std::make_unique<AppModel>(std::move(env));
    g_model = appModel.get();
    appModel->settings().setHasCompletedOnboarding(true);

    QList<Renderer> list = renderers();
    std::stable_sort(list.begin(), list.end(), [](const Renderer& a, const Renderer& b) { return a.order < b.order; });
    for (const Renderer& r : std::as_const(list)) {
        // A renderer runs when any wanted prefix could name one of its pictures.
        const bool any = g_only.isEmpty() || std::any_of(g_only.cbegin(), g_only.cend(), [&](const QString& p) {
                             return p.startsWith(r.name) || r.name.startsWith(p);
                         });
        if (any)
            r.render();
    }

    for (const QString& path : std::as_const(g_written))
        QTextStream(stdout) << path << "\n";
    return g_written.isEmpty() ? 1 : 0;
}
