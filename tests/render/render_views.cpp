// dustlet-render [OUTPUT_FOLDER]: draws every built view with a seeded model into PNG files
// (offscreen, in a temporary home), so a person can look at them.
#include "AppModel.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "services/Cleaner.h"
#include "services/Scanner.h"
#include "services/AppSettings.h"
#include "views/MenuBarLabel.h"
#include "views/MenuPanelStandIn.h"
#include "views/Windows.h"
#include "platform/AppEvents.h"
#include "views/components/CleanActionButton.h"
#include "views/components/DiskUsageRingView.h"
#include "views/components/EmptyState.h"
#include "views/components/MenuBarCoachMark.h"
#include "views/components/SelectableRow.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/ToolHeader.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QtConcurrent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVBoxLayout>

namespace {

QString outDir;
const DiskInfo seededDisk{500'000'000'000, 120'000'000'000};
QStringList written;

void save(const QImage& image, const QString& name)
{
    const QString path = QDir(outDir).absoluteFilePath(name + QStringLiteral(".png"));
    if (image.save(path))
        written << path;
    else
        QTextStream(stderr) << "could not write " << path << "\n";
}

// A widget drawn over a plain backdrop, at its preferred size unless one is given.
void shoot(QWidget* w, const QString& name, QSize size = {}, QColor backdrop = {}, int settleMs = 0)
{
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

QWidget* column(const QList<QWidget*>& items, int spacing = 8)
{
    auto* w = new QWidget;
    auto* l = new QVBoxLayout(w);
    l->setSpacing(spacing);
    for (QWidget* item : items)
        l->addWidget(item);
    return w;
}

void symbolSheet()
{
    QStringList names = Symbol::tableNames();
    names << QStringLiteral("internaldrive.fill.badge.exclamationmark") << QStringLiteral("folder.badge.gearshape")
          << QStringLiteral("trash.circle.fill") << QStringLiteral("arrow.uturn.backward.circle.fill");
    const int cell = 120, cols = 8;
    const int rows = (names.size() + cols - 1) / cols;
    QImage image(QSize(cols * cell, rows * 70) * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(Style::font(Style::Text::caption2));
    for (int i = 0; i < names.size(); ++i) {
        const QRect r((i % cols) * cell, (i / cols) * 70, cell, 70);
        p.drawPixmap(r.center().x() - 14, r.top() + 8, Symbol::pixmap(names[i], 28, QColor(30, 30, 30), 2));
        p.setPen(Qt::darkGray);
        p.drawText(r.adjusted(2, 42, -2, 0), Qt::AlignHCenter | Qt::TextWrapAnywhere, names[i]);
    }
    p.end();
    save(image, QStringLiteral("symbols"));
}

void labels(AppModel& model)
{
    Windows windows;
    AppEvents events;
    MenuBarLabel label(model, windows, events);
    struct Case { MenuBarDisplay display; qint64 available; const char* caption; };
    const QList<Case> cases = {
        {MenuBarDisplay::percent, 120'000'000'000, "percent"},
        {MenuBarDisplay::free, 120'000'000'000, "free"},
        {MenuBarDisplay::icon, 120'000'000'000, "icon only"},
        {MenuBarDisplay::percent, 4'200'000'000, "low space"},
    };
    QImage image(QSize(360, 40 * cases.size()) * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    for (int i = 0; i < cases.size(); ++i) {
        model.settings().setMenuBarDisplay(cases[i].display);
        model.setDisk(DiskInfo{500'000'000'000, cases[i].available});
        p.setPen(Qt::darkGray);
        p.setFont(Style::font(Style::Text::caption));
        p.drawText(QRect(8, i * 40, 100, 40), Qt::AlignVCenter, QString::fromLatin1(cases[i].caption));
        p.drawPixmap(120, i * 40 + 9, label.render(Qt::black, 22, 2));
    }
    p.end();
    save(image, QStringLiteral("menubar-label"));
    model.settings().setMenuBarDisplay(MenuBarDisplay::percent);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A temporary home: the seeded model never sees the real settings or disk.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + "/.cache").toLocal8Bit());

    // Drawn at twice the size, as on a high-density screen.
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dustlet"));
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("render");
    QDir().mkpath(outDir);

    // The seeded model: fixed disk figures and target sizes, no real measuring or clearing.
    UserDefaults defaults(home.path() + QStringLiteral("/.config/dustlet/defaults.plist"));
    AppModelEnvironment env;
    env.defaults = &defaults;
    env.home = [&home] { return home.path(); };
    env.diskInfo = [](const QString&) { return seededDisk; };
    env.clock = &SystemClock::shared();
    env.size = [](const CleanupTarget& target, Scanner::Progress) {
        return QtFuture::makeReadyFuture(std::optional<qint64>(qint64(qHash(target.id) % 5'000'000'000)));
    };
    env.clean = [](const CleanupTarget&, bool) { return QtFuture::makeReadyFuture(CleanOutcome{}); };
    env.validateCustom = [](const QString&) { return std::optional<QString>(); };
    AppModel model(std::move(env));
    model.settings().setHasCompletedOnboarding(true);

    symbolSheet();
    labels(model);

    shoot(new ToolHeader(QStringLiteral("camera.aperture"), QStringLiteral("Free Up Snapshot Space"),
                         QStringLiteral("Local snapshots hold copies of changed files until there is need of the space.")),
          QStringLiteral("tool-header"), QSize(520, 0));

    auto* scan = new QPushButton(QStringLiteral("Scan Again"));
    shoot(column({new EmptyState(QStringLiteral("checkmark.circle"), QStringLiteral("No build folders found"),
                                 QStringLiteral("Nothing to clean under ~/src, ~/dev."), scan),
                  new EmptyState(QStringLiteral("trash.square"), QStringLiteral("Uninstall an App"), std::nullopt)}),
          QStringLiteral("empty-state"), QSize(480, 520));

    auto trailing = [] {
        auto* b = new QPushButton;
        b->setFlat(true);
        b->setIcon(Symbol::icon(QStringLiteral("magnifyingglass"), Style::secondary(), 14));
        return b;
    };
    shoot(column({new SelectableRow(true, true, [] {}, Symbol::icon(QStringLiteral("doc.fill"), Style::secondary()),
                                    QStringLiteral("holiday-video-final-final.mov"), QStringLiteral("~/Movies/Exports/holiday-video-final-final.mov"),
                                    qint64(4'310'000'000), trailing()),
                  new SelectableRow(false, true, [] {}, Symbol::icon(QStringLiteral("doc.fill"), Style::secondary()),
                                    QStringLiteral("dataset.csv"), QStringLiteral("~/Downloads/dataset.csv"), qint64(812'000'000), trailing()),
                  new SelectableRow(true, false, [] {}, std::nullopt, QStringLiteral("Protected.app"),
                                    QStringLiteral("/Applications/Protected.app"), qint64(120'500'000), nullptr),
                  new SelectableRow(false, false, [] {}, std::nullopt, QStringLiteral("no size, no subtitle"), std::nullopt,
                                    std::nullopt, nullptr)},
                 0),
          QStringLiteral("selectable-rows"), QSize(520, 0));

    shoot(column({new CleanActionButton(QStringLiteral("Move 3 Items to Trash"), QStringLiteral("trash"), true, [] {}),
                  new CleanActionButton(QStringLiteral("Delete 2 Snapshots"), QStringLiteral("clock.arrow.circlepath"), false, [] {})}),
          QStringLiteral("clean-action-button"));

    shoot(column({new DiskUsageRingView(DiskInfo{0, 0}), new DiskUsageRingView(DiskInfo{500'000'000'000, 250'000'000'000}),
                  new DiskUsageRingView(DiskInfo{1000, 250}), new DiskUsageRingView(DiskInfo{500'000'000'000, 25'000'000'000})},
                 16),
          QStringLiteral("disk-ring"), QSize(340, 380));

    shoot(new MenuBarCoachMark(1180, [] {}, 280), QStringLiteral("coach-mark"), QSize(1280, 200), QColor(70, 96, 130), 700);

    model.setDisk(seededDisk);
    shoot(new MenuPanelStandIn(model), QStringLiteral("menu-panel-stand-in"));

    for (const QString& path : std::as_const(written))
        QTextStream(stdout) << path << "\n";
    return written.isEmpty() ? 1 : 0;
}
