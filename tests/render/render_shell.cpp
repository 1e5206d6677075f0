// The shell's pictures: symbols, the menu-bar label, the shared components, the panel and the
// confirmation window.
#include "RenderKit.h"

#include "AppModel.h"
#include "platform/AppEvents.h"
#include "services/AppSettings.h"
#include "views/Windows.h"
#include "views/components/CleanActionButton.h"
#include "views/components/DiskUsageRingView.h"
#include "views/components/EmptyState.h"
#include "views/components/MenuBarCoachMark.h"
#include "views/components/ScreenFit.h"
#include "views/components/SelectableRow.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/ToolHeader.h"
#include "views/panel/ConfirmWindowView.h"
#include "views/panel/MenuBarExtra.h"
#include "views/panel/MenuBarLabel.h"
#include "views/panel/MenuPanelView.h"
#include "views/panel/TargetRowView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

using namespace RenderKit;

const DiskInfo seededDisk{500'000'000'000, 120'000'000'000};

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
    struct Case {
        MenuBarDisplay display;
        qint64 available;
        const char* caption;
    };
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

// The tray icon as bars of several shades show it: plain and low on space, at the sizes trays
// ask for, in the colours of a light and of a dark desktop palette.
void trayIcons()
{
    const QList<QColor> bars = {QColor(0xf6, 0xf6, 0xf6), QColor(0xd8, 0xd8, 0xd8), QColor(0x80, 0x80, 0x80),
                                QColor(0x30, 0x30, 0x30), QColor(0, 0, 0),          QColor(0x1e, 0x4f, 0x9a)};
    const QList<int> sizes = {16, 22, 32};
    QPalette light = QApplication::style()->standardPalette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2d));
    const QList<QPalette> palettes = {light, dark};
    const int cell = 44;
    const int cols = int(sizes.size() * 2 * palettes.size());
    QImage image(QSize(cols * cell, int(bars.size()) * cell) * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int row = 0; row < bars.size(); ++row) {
        p.fillRect(QRect(0, row * cell, cols * cell, cell), bars[row]);
        int col = 0;
        for (const QPalette& palette : palettes) {
            const auto [glyph, halo] = MenuBarLabel::trayColors(palette);
            for (bool warning : {false, true})
                for (int px : sizes) {
                    const QImage icon = MenuBarLabel::trayImage(warning, px, 2, glyph, halo);
                    p.drawImage(QPointF(col * cell + (cell - px) / 2.0, row * cell + (cell - px) / 2.0), icon);
                    ++col;
                }
        }
    }
    p.end();
    save(image, QStringLiteral("menubar-tray-icons"));
}

// Every target marked as being measured; every third one has a running count already.
void markScanning(AppModel& model)
{
    QList<TargetState> list = model.targets();
    for (int i = 0; i < list.size(); ++i) {
        list[i].isScanning = true;
        list[i].size = i % 3 == 0 ? std::optional<qint64>(qint64(i + 1) * 37'000'000) : std::nullopt;
    }
    model.setTargets(list);
}

// The panel as the tray shows it: in a popup of its size, held to the room on the screen.
QWidget* inPopup(QWidget* panel)
{
    auto* popup = new QWidget;
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* holder = new ScreenFit::Holder(panel, popup);
    holder->setLimit(MenuBarExtra::panelRoom(std::nullopt, QGuiApplication::primaryScreen()->availableGeometry()));
    layout->addWidget(holder);
    return popup;
}

void shootPanel(AppModel& model, const QString& name)
{
    Windows windows;
    auto* panel = new MenuPanelView(model, windows);
    settle();
    shoot(inPopup(panel), name);
}

void panels(AppModel& model)
{
    model.settings().setDeveloperMode(false);
    model.rebuildTargets();
    model.start();
    settle();
    model.setLastScan(QDateTime::currentDateTimeUtc().addSecs(-5 * 60));
    shootPanel(model, QStringLiteral("panel-simple-idle"));

    model.setStatusMessage(QStringLiteral("Freed 3.42 GB total"));
    model.settings().setEnabled(false, QStringLiteral("trash"));
    shootPanel(model, QStringLiteral("panel-simple-status-trash-off"));
    model.settings().setEnabled(true, QStringLiteral("trash"));
    model.setStatusMessage(std::nullopt);

    model.setIsCleaningAll(true);
    shootPanel(model, QStringLiteral("panel-simple-cleaning-all"));
    model.setIsCleaningAll(false);

    markScanning(model);
    shootPanel(model, QStringLiteral("panel-simple-scanning"));

    model.settings().setDeveloperMode(true);
    model.rebuildTargets();
    model.scanAll();
    settle();
    model.setLastScan(QDateTime::currentDateTimeUtc().addSecs(-42));
    model.settings().setEnabled(false, QStringLiteral("logs"));
    shootPanel(model, QStringLiteral("panel-developer-idle"));

    markScanning(model);
    {
        // One target being cleared by itself, the others still measuring.
        QList<TargetState> list = model.targets();
        list[1].isScanning = false;
        list[1].isCleaning = true;
        list[1].size = 812'000'000;
        model.setTargets(list);
    }
    shootPanel(model, QStringLiteral("panel-developer-scanning"));

    // Scrolled part-way into the list: the section being passed keeps its header at the top.
    model.scanAll();
    settle();
    {
        Windows windows;
        auto* panel = new MenuPanelView(model, windows);
        settle();
        QWidget* popup = inPopup(panel);
        popup->setAttribute(Qt::WA_DontShowOnScreen);
        popup->show();
        QCoreApplication::processEvents();
        panel->targetScrollArea()->verticalScrollBar()->setValue(28 + 44 * 3 + 20);
        shoot(popup, QStringLiteral("panel-developer-scrolled"));
    }

    // The information popover of one row.
    {
        const TargetState* state = nullptr;
        for (const TargetState& t : model.targets())
            if (t.target.id == QLatin1String("chrome"))
                state = &t;
        if (state) {
            auto* box = new QWidget;
            auto* l = new QVBoxLayout(box);
            l->setContentsMargins(0, 0, 0, 0);
            l->addWidget(TargetRowView::makeInfoContent(state->target));
            shoot(box, QStringLiteral("target-info-popover"));
        }
    }
    model.settings().setEnabled(true, QStringLiteral("logs"));
}

void shootConfirm(AppModel& model, const QString& name)
{
    Windows windows;
    auto* view = new ConfirmWindowView(model, windows);
    shoot(view, name);
}

void confirmations(AppModel& model)
{
    model.settings().setDeveloperMode(false);
    model.rebuildTargets();
    model.scanAll();
    settle();
    model.requestClean(QStringLiteral("appcaches"));
    shootConfirm(model, QStringLiteral("confirm-one-target"));

    model.settings().setDeveloperMode(true);
    model.rebuildTargets();
    model.scanAll();
    settle();
    model.requestCleanAll();
    shootConfirm(model, QStringLiteral("confirm-all-targets"));
    model.setPendingClean(std::nullopt);
}

void components()
{
    shoot(new ToolHeader(
              QStringLiteral("camera.aperture"), QStringLiteral("Free Up Snapshot Space"),
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
    shoot(column(
              {new SelectableRow(
                   true, true, [] {}, Symbol::icon(QStringLiteral("doc.fill"), Style::secondary()),
                   QStringLiteral("holiday-video-final-final.mov"),
                   QStringLiteral("~/Movies/Exports/holiday-video-final-final.mov"), qint64(4'310'000'000), trailing()),
               new SelectableRow(
                   false, true, [] {}, Symbol::icon(QStringLiteral("doc.fill"), Style::secondary()),
                   QStringLiteral("dataset.csv"), QStringLiteral("~/Downloads/dataset.csv"), qint64(812'000'000),
                   trailing()),
               new SelectableRow(
                   true, false, [] {}, std::nullopt, QStringLiteral("Protected.app"),
                   QStringLiteral("/Applications/Protected.app"), qint64(120'500'000), nullptr),
               new SelectableRow(
                   false, false, [] {}, std::nullopt, QStringLiteral("no size, no subtitle"), std::nullopt,
                   std::nullopt, nullptr)},
              0),
          QStringLiteral("selectable-rows"), QSize(520, 0));

    shoot(column({new CleanActionButton(QStringLiteral("Move 3 Items to Trash"), QStringLiteral("trash"), true, [] {}),
                  new CleanActionButton(QStringLiteral("Delete 2 Snapshots"), QStringLiteral("clock.arrow.circlepath"),
                                        false, [] {})}),
          QStringLiteral("clean-action-button"));

    shoot(column({new DiskUsageRingView(DiskInfo{0, 0}),
                  new DiskUsageRingView(DiskInfo{500'000'000'000, 250'000'000'000}),
                  new DiskUsageRingView(DiskInfo{1000, 250}),
                  new DiskUsageRingView(DiskInfo{500'000'000'000, 25'000'000'000})},
                 16),
          QStringLiteral("disk-ring"), QSize(340, 380));

    shoot(new MenuBarCoachMark(
              1180, [] {}, 280),
          QStringLiteral("coach-mark"), QSize(1280, MenuBarCoachMark::bandHeight()), QColor(70, 96, 130), 700);
    {
        // A tray at the bottom of the screen: the hint stands above it, pointing down.
        auto* down = new MenuBarCoachMark(
            1180, [] {}, 280);
        down->setPointsDown(true);
        shoot(down, QStringLiteral("coach-mark-bottom"), QSize(1280, MenuBarCoachMark::bandHeight()),
              QColor(70, 96, 130), 700);
    }
    // The tray icon at the top-right corner: the bubble is held inside the screen, the arrow
    // still points at the icon.
    shoot(new MenuBarCoachMark(
              1268, [] {}, 280),
          QStringLiteral("coach-mark-corner"), QSize(1280, MenuBarCoachMark::bandHeight()), QColor(70, 96, 130), 700);
}

void shell()
{
    AppModel& model = RenderKit::model();
    symbolSheet();
    labels(model);
    trayIcons();
    components();
    model.setDisk(seededDisk);
    panels(model);
    confirmations(model);
}

} // namespace

// The shell draws several families of pictures; each picture is filtered by name when saved.
DUSTLET_RENDER("", 0, shell);
