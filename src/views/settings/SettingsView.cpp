#include "views/settings/SettingsView.h"

#include "AppModel.h"
#include "models/CleanupCatalog.h"
#include "platform/AppEvents.h"
#include "platform/Bundle.h"
#include "platform/DesktopTerms.h"
#include "platform/ui/Dialogs.h"
#include "services/AppLanguage.h"
#include "services/AppSettings.h"
#include "services/Finder.h"
#include "services/LoginItemState.h"
#include "services/Updater.h"
#include "views/components/ElidedLabel.h"
#include "views/components/FocusRing.h"
#include "views/components/Labels.h"
#include "views/components/Stepper.h"
#include "views/components/Style.h"
#include "views/components/Symbol.h"
#include "views/components/ToggleSwitch.h"
#include "views/components/WindowCenterer.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace SettingsForm {

// The colours of the form: the window's background around rounded boxes of rows.
struct Look {
    QColor background; // behind the sections
    QColor box; // the boxes the rows stand in
    QColor text;
    QPalette boxPalette; // a palette whose window colour is the box's
};

Look look()
{
    const QPalette app = QApplication::palette();
    Look l;
    l.background = app.color(QPalette::Window);
    l.text = app.color(QPalette::WindowText);
    const QColor base = app.color(QPalette::Base);
    // Boxes stand out lighter from the background: the base colour where it is lighter than the
    // window (light palettes), else the window colour lifted a little towards the text.
    if (base.lightnessF() > l.background.lightnessF())
        l.box = base;
    else
        l.box = QColor::fromRgbF(float(l.background.redF() + (l.text.redF() - l.background.redF()) * 0.07),
                                 float(l.background.greenF() + (l.text.greenF() - l.background.greenF()) * 0.07),
                                 float(l.background.blueF() + (l.text.blueF() - l.background.blueF()) * 0.07));
    l.boxPalette = app;
    l.boxPalette.setColor(QPalette::Window, l.box);
    l.boxPalette.setColor(QPalette::WindowText, l.text);
    return l;
}

int rowPadH() { return Style::metric(10); }
int rowPadV() { return Style::metric(6); }

// Rows one under another with a hairline between each two that are shown; as a box, drawn on
// a rounded background.
class RowStack : public QWidget {
public:
    RowStack(bool box, QWidget* parent) : QWidget(parent), m_box(box)
    {
        m_layout = new QVBoxLayout(this);
        m_layout->setContentsMargins(0, 0, 0, 0);
        m_layout->setSpacing(0);
        if (box)
            setPalette(look().boxPalette);
    }

    // The row is shown with the stack (hide it afterwards to keep it out of sight).
    void addRow(QWidget* row)
    {
        row->setParent(this);
        m_layout->addWidget(row);
        row->show();
    }
    QList<QWidget*> rows() const
    {
        QList<QWidget*> out;
        for (int i = 0; i < m_layout->count(); ++i)
            if (QWidget* w = m_layout->itemAt(i)->widget())
                out << w;
        return out;
    }
    QVBoxLayout* rowLayout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (m_box) {
            const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
            const qreal radius = Style::metric(8);
            QPainterPath path;
            path.addRoundedRect(r, radius, radius);
            p.fillPath(path, palette().color(QPalette::Window));
            p.setPen(QPen(Style::separator(palette()), 1));
            p.drawPath(path);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Style::separator(palette()));
        bool first = true;
        for (QWidget* w : rows()) {
            if (w->isHidden())
                continue;
            if (!first)
                p.drawLine(rowPadH(), w->y(), width() - rowPadH(), w->y());
            first = false;
        }
    }

private:
    bool m_box;
    QVBoxLayout* m_layout;
};

// One section of the form: an optional header, the box of rows and an optional footer.
class Section : public QWidget {
public:
    Section(const QString& header, QWidget* parent) : QWidget(parent)
    {
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(Style::metric(6));
        if (!header.isEmpty()) {
            auto* title = makePlainLabel(header, Style::font(Style::Text::headline), Style::primary(), this);
            title->setObjectName(QStringLiteral("sectionHeader"));
            title->setContentsMargins(rowPadH(), 0, rowPadH(), 0);
            title->setWordWrap(true);
            column->addWidget(title);
        }
        m_box = new RowStack(true, this);
        column->addWidget(m_box);
        m_column = column;
    }

    RowStack* box() const { return m_box; }

    void setFooter(QLabel* footer)
    {
        footer->setParent(this);
        footer->setContentsMargins(rowPadH(), 0, rowPadH(), 0);
        m_column->addWidget(footer);
    }

private:
    RowStack* m_box;
    QVBoxLayout* m_column;
};

// A row's frame: the row's own padding around a horizontal line of parts.
QWidget* row(QHBoxLayout** line)
{
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(rowPadH(), rowPadV(), rowPadH(), rowPadV());
    l->setSpacing(Style::metric(8));
    *line = l;
    return w;
}

QLabel* bodyLabel(const QString& text)
{
    auto* label = makePlainLabel(text, Style::font(Style::Text::body), Style::primary(look().boxPalette));
    label->setWordWrap(true);
    return label;
}

QColor captionColor() { return Style::secondary(look().boxPalette); }
QColor errorColor() { return Style::legible(Style::red(), look().boxPalette); }

QLabel* caption(const QString& text, const QColor& color = captionColor())
{
    auto* label = makePlainLabel(text, Style::font(Style::Text::caption), color);
    label->setWordWrap(true);
    return label;
}

// A row holding only a caption.
QWidget* captionRow(QLabel* label)
{
    QHBoxLayout* line = nullptr;
    QWidget* w = row(&line);
    label->setParent(w);
    line->addWidget(label, 1);
    return w;
}

// A label on the leading side and a control on the trailing side.
QWidget* labeledRow(const QString& text, QWidget* control)
{
    QHBoxLayout* line = nullptr;
    QWidget* w = row(&line);
    QLabel* label = bodyLabel(text);
    label->setParent(w);
    line->addWidget(label, 1);
    control->setParent(w);
    line->addWidget(control, 0, Qt::AlignVCenter);
    control->setAccessibleName(text);
    return w;
}

QWidget* toggleRow(const QString& title, ToggleSwitch** out)
{
    auto* toggle = new ToggleSwitch;
    *out = toggle;
    return labeledRow(title, toggle);
}

QComboBox* picker(const QStringList& options)
{
    auto* box = new QComboBox;
    box->addItems(options);
    box->setFont(Style::font(Style::Text::body));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

QPushButton* button(const QString& text, const QString& symbol = {})
{
    auto* b = new QPushButton;
    QString shown = text;
    b->setText(shown.replace(QLatin1Char('&'), QLatin1String("&&")));
    b->setFont(Style::font(Style::Text::body));
    b->setAutoDefault(false);
    if (!symbol.isEmpty())
        b->setIcon(Symbol::icon(symbol, Style::primary(look().boxPalette), Style::pixelSize(Style::Text::body)));
    return b;
}

// A row with one button on its leading side.
QWidget* buttonRow(QPushButton* b)
{
    QHBoxLayout* line = nullptr;
    QWidget* w = row(&line);
    b->setParent(w);
    line->addWidget(b);
    line->addStretch(1);
    return w;
}

// A text in which "*word*" stands for emphasis: shown in italics, everything else as it is.
QString emphasized(const QString& text)
{
    QString html = text.toHtmlEscaped();
    static const QRegularExpression marks(QStringLiteral("\\*([^*]+)\\*"));
    html.replace(marks, QStringLiteral("<i>\\1</i>"));
    return html;
}

} // namespace SettingsForm

using namespace SettingsForm;

namespace {

QString t(const char* text) { return QCoreApplication::translate("SettingsView", text); }

// The three system caches that have a switch of their own. Titles and notes are shown as they
// stand.
struct ExtraCache {
    const char* id;
    const char* title;
    const char* note;
    bool (AppSettings::*get)() const;
    void (AppSettings::*set)(bool);
};

const QList<ExtraCache>& extraCaches()
{
    static const QList<ExtraCache> list = {
        {"musiccache", "Apple Music cache", "Streamed songs re-buffer next time. Often many GB.",
         &AppSettings::cleanMusicCache, &AppSettings::setCleanMusicCache},
        {"savedstate", "Saved application state", "Apps won't reopen their last windows/tabs.",
         &AppSettings::cleanSavedState, &AppSettings::setCleanSavedState},
        {"maildownloads", "Mail attachment previews", "Temp copies of opened attachments. Originals stay safe.",
         &AppSettings::cleanMailDownloads, &AppSettings::setCleanMailDownloads},
    };
    return list;
}

const QList<MenuBarDisplay>& menuBarOrder() { return allMenuBarDisplays(); }
const QList<CleanupSchedule>& scheduleOrder() { return allCleanupSchedules(); }

// The whole part of a stored count (seconds, gigabytes, days), as labels and searches use it.
qint64 whole(double value)
{
    if (!std::isfinite(value))
        return 0;
    return qint64(std::trunc(std::clamp(value, -9.0e15, 9.0e15)));
}

void setChecked(ToggleSwitch* toggle, bool on)
{
    const QSignalBlocker block(toggle);
    toggle->setChecked(on);
}

void setIndex(QComboBox* box, int index)
{
    const QSignalBlocker block(box);
    box->setCurrentIndex(index);
}

} // namespace

SettingsView::Environment SettingsView::defaultEnvironment()
{
    Environment env;
    env.events = &AppEvents::shared();
    env.bundleIdentifier = Bundle::identifier();
    env.offered = [](const QString& id) { return CleanupCatalog::isOffered(id); };
    env.currentLanguage = [] { return AppLanguage::current(); };
    env.availableLanguages = [] { return AppLanguage::available(); };
    env.languageName = [](const QString& code) { return AppLanguage::displayName(code); };
    env.setLanguage = [](const QString& code) { return AppLanguage::set(code); };
    env.relaunch = [] { AppLanguage::relaunch(); };
    return env;
}

SettingsView::SettingsView(AppSettings& settings, AppModel& model, Updater& updater, QWidget* parent)
    : SettingsView(settings, model, updater, defaultEnvironment(), parent)
{
}

SettingsView::SettingsView(AppSettings& settings, AppModel& model, Updater& updater, Environment environment,
                           QWidget* parent)
    : QWidget(parent), m_settings(settings), m_model(model), m_updater(updater), m_env(std::move(environment))
{
    // What the caller left out comes from the program's own.
    const Environment fallback = defaultEnvironment();
    if (!m_env.events)
        m_env.events = fallback.events;
    if (!m_env.bundleIdentifier)
        m_env.bundleIdentifier = fallback.bundleIdentifier;
    if (!m_env.offered)
        m_env.offered = fallback.offered;
    if (!m_env.currentLanguage)
        m_env.currentLanguage = fallback.currentLanguage;
    if (!m_env.availableLanguages)
        m_env.availableLanguages = fallback.availableLanguages;
    if (!m_env.languageName)
        m_env.languageName = fallback.languageName;
    if (!m_env.setLanguage)
        m_env.setLanguage = fallback.setLanguage;
    if (!m_env.relaunch)
        m_env.relaunch = fallback.relaunch;

    setObjectName(QStringLiteral("settingsView"));
    build();
    syncFromSettings();
    connect(&m_settings, &AppSettings::settingChanged, this, &SettingsView::syncFromSettings);
    connect(&m_updater, &Updater::canCheckForUpdatesChanged, this,
            [this] { m_checkUpdates->setEnabled(m_updater.canCheckForUpdates()); });
}

SettingsView::~SettingsView() = default;

void SettingsView::build()
{
    setFixedSize(Style::metric(360), Style::metric(460));
    (new WindowCenterer(this))->lower();
    const Look colours = look();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("settingsForm"));
    QPalette background = content->palette();
    background.setColor(QPalette::Window, colours.background);
    content->setPalette(background);
    content->setAutoFillBackground(true);
    m_form = new QVBoxLayout(content);
    m_form->setContentsMargins(Style::metric(16), Style::metric(16), Style::metric(16), Style::metric(20));
    m_form->setSpacing(Style::metric(16));

    const QList<QPair<const char*, QWidget*>> sections = {
        {"General", generalSection()},
        {"Updates", updatesSection()},
        {"Automatic cleanup", scheduleSection()},
        {"Low-space alert", lowSpaceSection()},
        {"(welcome)", welcomeSection()},
        {"Cleanup", cleanupSection()},
        {"Extra system caches", extraCachesSection()},
        {"Custom folders to clean", customFoldersSection()},
        {"Developer mode", developerSection()},
        {"Build-folder cleanup", buildFolderSection()},
        {"Never touch these (pinned)", pinnedSection()},
        {"Project folders to scan", projectsSection()},
    };
    for (const auto& [title, section] : sections) {
        section->setParent(content);
        m_form->addWidget(section);
        m_sections.append({QString::fromLatin1(title), section});
    }
    m_form->addStretch(1);
    scroll->setWidget(content);
    outer->addWidget(scroll);
}

// ---- sections

QWidget* SettingsView::generalSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "General")), nullptr);
    RowStack* box = section->box();

    box->addRow(toggleRow(t(QT_TRANSLATE_NOOP("SettingsView", "Launch at login")), &m_login));
    // The switch follows the one state of the login item while the window is open, also when
    // the startup items window switches this program's entry.
    LoginItemState& login = LoginItemState::shared();
    login.refresh();
    m_login->setChecked(login.isEnabled());
    connect(&login, &LoginItemState::changed, this, [this] {
        if (!m_switchingLogin)
            setChecked(m_login, LoginItemState::shared().isEnabled());
    });
    const bool bundled = !m_env.bundleIdentifier->isEmpty();
    m_login->setEnabled(bundled);
    connect(m_login, &ToggleSwitch::toggled, this, &SettingsView::toggleLogin);
    if (!bundled) {
        m_loginUnavailable =
            caption(t(QT_TRANSLATE_NOOP("SettingsView", "Available once running as the built Dustlet.app")));
        box->addRow(captionRow(m_loginUnavailable));
    }
    m_loginErrorLabel = caption(QString(), errorColor());
    m_loginErrorLabel->setObjectName(QStringLiteral("loginError"));
    box->addRow(captionRow(m_loginErrorLabel));
    m_loginErrorLabel->parentWidget()->hide();

    m_refresh =
        new Stepper(2, 60, 1, [](double v) { return t(QT_TRANSLATE_NOOP("SettingsView", "%1 s")).arg(whole(v)); });
    box->addRow(labeledRow(t(QT_TRANSLATE_NOOP("SettingsView", "Refresh every")), m_refresh));
    connect(m_refresh, &Stepper::valueChanged, this, [this](double v) {
        m_settings.setRefreshInterval(v);
        m_model.restartTimer();
    });

    m_menuBar =
        picker({t(QT_TRANSLATE_NOOP("SettingsView", "Percentage used")),
                t(QT_TRANSLATE_NOOP("SettingsView", "Free space")), t(QT_TRANSLATE_NOOP("SettingsView", "Icon only"))});
    box->addRow(labeledRow(DesktopTerms::iconShowsLabel(), m_menuBar));
    connect(m_menuBar, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < menuBarOrder().size())
            m_settings.setMenuBarDisplay(menuBarOrder().at(index));
    });

    // "System default", then each offered language in its own name.
    m_language = new QComboBox;
    m_language->setFont(Style::font(Style::Text::body));
    m_language->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_language->addItem(t(QT_TRANSLATE_NOOP("SettingsView", "System default")), QString());
    for (const QString& code : m_env.availableLanguages())
        m_language->addItem(m_env.languageName(code), code);
    // A code in force that the picker does not offer (a system language such as "de-DE") is
    // the system default at work.
    const int selected = m_language->findData(m_env.currentLanguage());
    m_language->setCurrentIndex(selected >= 0 ? selected : 0);
    box->addRow(labeledRow(t(QT_TRANSLATE_NOOP("SettingsView", "Language")), m_language));
    connect(m_language, &QComboBox::currentIndexChanged, this, &SettingsView::chooseLanguage);

    QHBoxLayout* line = nullptr;
    m_relaunchRow = row(&line);
    m_relaunchRow->setObjectName(QStringLiteral("relaunchRow"));
    QLabel* note = caption(t(QT_TRANSLATE_NOOP("SettingsView", "Relaunch to apply the new language.")));
    note->setParent(m_relaunchRow);
    line->addWidget(note, 1);
    m_relaunch = button(t(QT_TRANSLATE_NOOP("SettingsView", "Relaunch")));
    m_relaunch->setParent(m_relaunchRow);
    m_relaunch->setFont(Style::font(Style::Text::callout));
    line->addWidget(m_relaunch, 0, Qt::AlignVCenter);
    connect(m_relaunch, &QPushButton::clicked, this, [this] { m_env.relaunch(); });
    box->addRow(m_relaunchRow);
    m_relaunchRow->hide();
    return section;
}

QWidget* SettingsView::updatesSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Updates")), nullptr);
    RowStack* box = section->box();
    box->addRow(toggleRow(t(QT_TRANSLATE_NOOP("SettingsView", "Check for updates automatically")), &m_autoUpdates));
    // The update machinery keeps this preference itself: read when the form is made.
    m_autoUpdates->setChecked(m_updater.controller().automaticallyChecksForUpdates());
    connect(m_autoUpdates, &ToggleSwitch::toggled, this,
            [this](bool on) { m_updater.controller().setAutomaticallyChecksForUpdates(on); });

    QHBoxLayout* line = nullptr;
    QWidget* r = row(&line);
    m_checkUpdates = button(t(QT_TRANSLATE_NOOP("SettingsView", "Check for Updates…")));
    m_checkUpdates->setParent(r);
    m_checkUpdates->setEnabled(m_updater.canCheckForUpdates());
    connect(m_checkUpdates, &QPushButton::clicked, this, [this] { m_updater.controller().checkForUpdates(); });
    line->addWidget(m_checkUpdates, 0, Qt::AlignVCenter);
    line->addStretch(1);
    if (!m_updater.isConfigured()) {
        m_devBuild = caption(t(QT_TRANSLATE_NOOP("SettingsView", "Dev build")));
        m_devBuild->setWordWrap(false);
        m_devBuild->setParent(r);
        line->addWidget(m_devBuild, 0, Qt::AlignVCenter);
    }
    box->addRow(r);
    return section;
}

QWidget* SettingsView::scheduleSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Automatic cleanup")), nullptr);
    RowStack* box = section->box();
    m_schedule = picker({t(QT_TRANSLATE_NOOP("SettingsView", "Off")), t(QT_TRANSLATE_NOOP("SettingsView", "Every day")),
                         t(QT_TRANSLATE_NOOP("SettingsView", "Every week"))});
    box->addRow(labeledRow(t(QT_TRANSLATE_NOOP("SettingsView", "Clean caches automatically")), m_schedule));
    connect(m_schedule, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0 || index >= scheduleOrder().size())
            return;
        m_settings.setCleanupSchedule(scheduleOrder().at(index));
        // A newly chosen schedule counts its first period from now.
        m_settings.setLastAutoCleanup(QDateTime::currentDateTimeUtc());
    });
    m_scheduleCaption = caption(QString());
    m_scheduleCaption->setObjectName(QStringLiteral("scheduleCaption"));
    box->addRow(captionRow(m_scheduleCaption));
    return section;
}

QWidget* SettingsView::lowSpaceSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Low-space alert")), nullptr);
    RowStack* box = section->box();
    box->addRow(toggleRow(t(QT_TRANSLATE_NOOP("SettingsView", "Notify when low on space")), &m_alerts));
    connect(m_alerts, &ToggleSwitch::toggled, this, [this](bool on) { m_settings.setLowSpaceAlertsEnabled(on); });
    // Stays enabled while alerts are off.
    m_threshold =
        new Stepper(1, 200, 1, [](double v) { return t(QT_TRANSLATE_NOOP("SettingsView", "%1 GB")).arg(whole(v)); });
    box->addRow(labeledRow(t(QT_TRANSLATE_NOOP("SettingsView", "Threshold")), m_threshold));
    connect(m_threshold, &Stepper::valueChanged, this, [this](double v) { m_settings.setLowSpaceThresholdGB(v); });
    return section;
}

QWidget* SettingsView::welcomeSection()
{
    auto* section = new Section(QString(), nullptr);
    m_welcome = button(t(QT_TRANSLATE_NOOP("SettingsView", "Show welcome screen…")));
    connect(m_welcome, &QPushButton::clicked, this, [this] { m_env.events->post(AppEvents::showOnboarding()); });
    section->box()->addRow(buttonRow(m_welcome));
    return section;
}

QWidget* SettingsView::cleanupSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Cleanup")), nullptr);
    RowStack* box = section->box();
    box->addRow(toggleRow(t(QT_TRANSLATE_NOOP("SettingsView", "Move cleaned items to the Trash")), &m_moveToTrash));
    connect(m_moveToTrash, &ToggleSwitch::toggled, this, [this](bool on) { m_settings.setMoveToTrash(on); });
    m_trashCaption = caption(QString());
    m_trashCaption->setObjectName(QStringLiteral("trashCaption"));
    box->addRow(captionRow(m_trashCaption));
    return section;
}

QWidget* SettingsView::extraCachesSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Extra system caches")), nullptr);
    RowStack* box = section->box();
    for (const ExtraCache& cache : extraCaches()) {
        const QString id = QString::fromLatin1(cache.id);
        // Only the caches this platform keeps at all.
        if (!m_env.offered(id))
            continue;
        auto* w = new QWidget;
        auto* column = new QVBoxLayout(w);
        column->setContentsMargins(0, 0, 0, rowPadV());
        column->setSpacing(Style::metric(2));
        ToggleSwitch* toggle = nullptr;
        QWidget* top = toggleRow(QString::fromUtf8(cache.title), &toggle);
        top->setParent(w);
        top->layout()->setContentsMargins(rowPadH(), rowPadV(), rowPadH(), 0);
        column->addWidget(top);
        QLabel* note = caption(QString::fromUtf8(cache.note));
        note->setParent(w);
        note->setContentsMargins(rowPadH(), 0, rowPadH(), 0);
        column->addWidget(note);
        box->addRow(w);
        m_extraSwitches.append({id, toggle});
        connect(toggle, &ToggleSwitch::toggled, this, [this, set = cache.set](bool on) {
            (m_settings.*set)(on);
            rescan();
        });
    }
    section->setVisible(!m_extraSwitches.isEmpty());
    return section;
}

QWidget* SettingsView::customFoldersSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Custom folders to clean")), nullptr);
    RowStack* box = section->box();
    m_custom.symbol = QStringLiteral("folder");
    m_custom.empty = caption(t(QT_TRANSLATE_NOOP("SettingsView", "No custom folders added.")));
    box->addRow(captionRow(m_custom.empty));
    m_custom.rows = new RowStack(false, nullptr);
    box->addRow(m_custom.rows);
    m_addFolder = button(t(QT_TRANSLATE_NOOP("SettingsView", "Add Folder…")), QStringLiteral("plus"));
    connect(m_addFolder, &QPushButton::clicked, this, &SettingsView::addCustomFolder);
    box->addRow(buttonRow(m_addFolder));
    m_folderErrorLabel = caption(QString(), errorColor());
    m_folderErrorLabel->setObjectName(QStringLiteral("folderError"));
    box->addRow(captionRow(m_folderErrorLabel));
    m_folderErrorLabel->parentWidget()->hide();
    QLabel* footer =
        caption(t(QT_TRANSLATE_NOOP(
                    "SettingsView",
                    "Extra folders you want Dustlet to empty when cleaning — e.g. a Downloads or scratch folder. "
                    "Their contents are removed (to the Trash). Add only folders whose contents you're happy "
                    "to clear.")),
                Style::secondary());
    section->setFooter(footer);
    return section;
}

QWidget* SettingsView::developerSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Developer mode")), nullptr);
    RowStack* box = section->box();
    box->addRow(toggleRow(t(QT_TRANSLATE_NOOP("SettingsView", "Show developer cleanups")), &m_developer));
    connect(m_developer, &ToggleSwitch::toggled, this, [this](bool on) {
        m_settings.setDeveloperMode(on);
        rescan();
    });
    // Xcode is named only where the platform has its targets.
    m_developerCaption =
        caption(m_env.offered(QStringLiteral("derived"))
                    ? t(QT_TRANSLATE_NOOP("SettingsView",
                                          "Reveals Xcode, npm, Docker and other dev caches, plus node_modules "
                                          "and build folders in your projects."))
                    : t(QT_TRANSLATE_NOOP("SettingsView",
                                          "Reveals npm, Gradle, Docker and other dev caches, plus node_modules "
                                          "and build folders in your projects.")));
    box->addRow(captionRow(m_developerCaption));
    m_sortRow = toggleRow(t(QT_TRANSLATE_NOOP("SettingsView", "Sort cleanups by size (largest first)")), &m_sortBySize);
    box->addRow(m_sortRow);
    connect(m_sortBySize, &ToggleSwitch::toggled, this, [this](bool on) { m_settings.setSortBySize(on); });
    m_sortCaptionRow = captionRow(caption(t(QT_TRANSLATE_NOOP(
        "SettingsView", "Tools like Project Cleanup and App & Tool Updates are in the panel's “More” menu."))));
    box->addRow(m_sortCaptionRow);
    return section;
}

QString SettingsView::ageText(double days)
{
    const qint64 n = whole(days);
    if (n == 0)
        return t(QT_TRANSLATE_NOOP("SettingsView", "Any age"));
    if (n == 1)
        return t(QT_TRANSLATE_NOOP("SettingsView", "%1 day")).arg(n);
    return t(QT_TRANSLATE_NOOP("SettingsView", "%1 days")).arg(n);
}

QWidget* SettingsView::buildFolderSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Build-folder cleanup")), nullptr);
    RowStack* box = section->box();
    m_age = new Stepper(0, 365, 1, &SettingsView::ageText);
    box->addRow(labeledRow(t(QT_TRANSLATE_NOOP("SettingsView", "Only clean folders older than")), m_age));
    connect(m_age, &Stepper::valueChanged, this, [this](double v) {
        m_settings.setFinderMinAgeDays(v);
        rescan();
    });
    box->addRow(captionRow(caption(
        t(QT_TRANSLATE_NOOP("SettingsView",
                            "Skips node_modules / build folders modified more recently — protects projects you're "
                            "actively working on.")))));
    return section;
}

QWidget* SettingsView::pinnedSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Never touch these (pinned)")), nullptr);
    RowStack* box = section->box();
    m_pinned.symbol = QStringLiteral("pin.fill");
    m_pinned.empty = caption(t(QT_TRANSLATE_NOOP(
        "SettingsView", "No pinned folders. Pin a project to keep its build folders off the cleanup list.")));
    box->addRow(captionRow(m_pinned.empty));
    m_pinned.rows = new RowStack(false, nullptr);
    box->addRow(m_pinned.rows);
    m_pinFolder = button(t(QT_TRANSLATE_NOOP("SettingsView", "Pin Folder…")), QStringLiteral("plus"));
    connect(m_pinFolder, &QPushButton::clicked, this, &SettingsView::pinFolder);
    box->addRow(buttonRow(m_pinFolder));
    return section;
}

QWidget* SettingsView::projectsSection()
{
    auto* section = new Section(t(QT_TRANSLATE_NOOP("SettingsView", "Project folders to scan")), nullptr);
    RowStack* box = section->box();
    m_projects.symbol = QStringLiteral("folder.badge.gearshape");
    m_projects.empty =
        caption(t(QT_TRANSLATE_NOOP("SettingsView", "No project folders — add the folders where your code lives.")));
    box->addRow(captionRow(m_projects.empty));
    m_projects.rows = new RowStack(false, nullptr);
    box->addRow(m_projects.rows);
    m_addProject = button(t(QT_TRANSLATE_NOOP("SettingsView", "Add Project Folder…")), QStringLiteral("plus"));
    connect(m_addProject, &QPushButton::clicked, this, &SettingsView::addProjectFolder);
    box->addRow(buttonRow(m_addProject));
    // "*inside*" is emphasis: the one fixed text of the form shown as rich text.
    auto* footer = new QLabel(emphasized(
        t(QT_TRANSLATE_NOOP("SettingsView",
                            "Where your code lives. Dustlet looks *inside* these for regenerable build output "
                            "(node_modules, .next, target, …) to offer up in Project Cleanup. The folders themselves "
                            "are never removed — only the build artifacts found within them."))));
    footer->setObjectName(QStringLiteral("projectsFooter"));
    footer->setTextFormat(Qt::RichText);
    footer->setFont(Style::font(Style::Text::caption));
    QPalette p = footer->palette();
    p.setColor(QPalette::WindowText, Style::secondary());
    footer->setPalette(p);
    footer->setWordWrap(true);
    section->setFooter(footer);
    return section;
}

// ---- actions

void SettingsView::toggleLogin(bool enabled)
{
    m_switchingLogin = true;
    const std::optional<QString> error = LoginItemState::shared().setEnabled(enabled);
    m_switchingLogin = false;
    setLoginError(error);
    // After a failure the switch shows what is really registered. Putting it back is no new
    // request: the error of this attempt stays.
    if (error)
        setChecked(m_login, LoginItemState::shared().isEnabled());
}

void SettingsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Another program may have switched the login item meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        LoginItemState::shared().refresh();
}

void SettingsView::setLoginError(const std::optional<QString>& error)
{
    m_loginError = error;
    m_loginErrorLabel->setText(error.value_or(QString()));
    m_loginErrorLabel->parentWidget()->setVisible(error.has_value());
}

void SettingsView::setFolderError(const std::optional<QString>& error)
{
    m_folderError = error;
    m_folderErrorLabel->setText(error.value_or(QString()));
    m_folderErrorLabel->parentWidget()->setVisible(error.has_value());
}

void SettingsView::chooseLanguage(int index)
{
    if (index < 0)
        return;
    m_languageChanged = m_env.setLanguage(m_language->itemData(index).toString());
    m_relaunchRow->setVisible(m_languageChanged);
}

void SettingsView::chooseDirectory(std::function<void(const QString& path)> chosen)
{
    Dialogs::PickRequest request;
    request.acceptLabel = QStringLiteral("Add");
    request.kind = Dialogs::PickKind::Folder;
    const QPointer<SettingsView> self(this);
    Dialogs::pick(window(), request, [self, chosen = std::move(chosen)](std::optional<QString> path) {
        if (!self || !path || path->isEmpty())
            return;
        QString p = *path;
        while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
            p.chop(1);
        chosen(p);
    });
}

void SettingsView::rescan()
{
    // The new target list shows at once (known sizes carried over); the measuring follows.
    m_model.rebuildTargets();
    m_model.scanAll();
}

void SettingsView::addCustomFolder()
{
    chooseDirectory([this](const QString& path) { setFolderError(m_model.addCustomFolder(path)); });
}

void SettingsView::pinFolder()
{
    chooseDirectory([this](const QString& path) {
        QStringList pinned = m_settings.ignoredFinderPaths();
        if (pinned.contains(path))
            return;
        pinned.append(path);
        m_settings.setIgnoredFinderPaths(pinned);
        rescan();
    });
}

void SettingsView::unpinFolder(const QString& path)
{
    QStringList pinned = m_settings.ignoredFinderPaths();
    pinned.removeAll(path);
    m_settings.setIgnoredFinderPaths(pinned);
    rescan();
}

void SettingsView::addProjectFolder()
{
    chooseDirectory([this](const QString& path) {
        QStringList roots = m_settings.projectRoots();
        if (roots.contains(path))
            return;
        roots.append(path);
        m_settings.setProjectRoots(roots);
        m_model.rebuildTargets();
    });
}

void SettingsView::removeProjectFolder(const QString& path)
{
    QStringList roots = m_settings.projectRoots();
    roots.removeAll(path);
    m_settings.setProjectRoots(roots);
    m_model.rebuildTargets();
}

// ---- showing the settings

void SettingsView::syncFromSettings()
{
    m_refresh->setValue(m_settings.refreshInterval());
    setIndex(m_menuBar, int(menuBarOrder().indexOf(m_settings.menuBarDisplay())));
    setIndex(m_schedule, int(scheduleOrder().indexOf(m_settings.cleanupSchedule())));
    m_scheduleCaption->setText(
        m_settings.cleanupSchedule() == CleanupSchedule::off
            ? t(QT_TRANSLATE_NOOP("SettingsView", "Dustlet only cleans when you ask."))
            : t(QT_TRANSLATE_NOOP("SettingsView",
                                  "Quietly clears recoverable caches & logs to the Trash, then notifies "
                                  "you. Never empties the Trash or touches build folders.")));
    setChecked(m_alerts, m_settings.lowSpaceAlertsEnabled());
    m_threshold->setValue(m_settings.lowSpaceThresholdGB());
    setChecked(m_moveToTrash, m_settings.moveToTrash());
    m_trashCaption->setText(
        m_settings.moveToTrash()
            ? t(QT_TRANSLATE_NOOP("SettingsView",
                                  "Recoverable — items go to the Trash. (CLI tools like Homebrew/Docker "
                                  "still delete directly.)"))
            : t(QT_TRANSLATE_NOOP("SettingsView", "Permanent — items are deleted immediately.")));
    for (const auto& [id, toggle] : std::as_const(m_extraSwitches))
        for (const ExtraCache& cache : extraCaches())
            if (id == QLatin1String(cache.id))
                setChecked(toggle, (m_settings.*cache.get)());

    const bool developer = m_settings.developerMode();
    setChecked(m_developer, developer);
    setChecked(m_sortBySize, m_settings.sortBySize());
    m_sortRow->setVisible(developer);
    m_sortCaptionRow->setVisible(developer);
    m_age->setValue(m_settings.finderMinAgeDays());
    for (const auto& [title, section] : std::as_const(m_sections))
        if (title == QLatin1String("Build-folder cleanup") || title == QLatin1String("Never touch these (pinned)")
            || title == QLatin1String("Project folders to scan"))
            section->setVisible(developer);

    syncFolders(m_custom, FolderList::custom, m_settings.customFolders());
    syncFolders(m_pinned, FolderList::pinned, m_settings.ignoredFinderPaths());
    syncFolders(m_projects, FolderList::projects, m_settings.projectRoots());
    update();
}

void SettingsView::syncFolders(FolderSection& section, FolderList list, const QStringList& paths)
{
    section.empty->parentWidget()->setVisible(paths.isEmpty());
    section.rows->setVisible(!paths.isEmpty());
    // A project folder that is not there is marked: its search finds nothing.
    QStringList missing;
    if (list == FolderList::projects)
        for (const QString& path : paths)
            if (Finder::isMissingRoot(path))
                missing.append(path);
    if (paths == section.shown && missing == section.missing)
        return;
    section.shown = paths;
    section.missing = missing;
    // The rows are made anew; the old ones go once the click that may have removed them is over.
    for (QWidget* old : section.rows->rows()) {
        old->hide();
        section.rows->rowLayout()->removeWidget(old);
        old->deleteLater();
    }
    const Look colours = look();
    for (const QString& path : paths) {
        QHBoxLayout* line = nullptr;
        QWidget* r = row(&line);
        r->setObjectName(QStringLiteral("folderRow"));
        r->setProperty("path", path);
        line->addWidget(new SymbolView(section.symbol, Style::pixelSize(Style::Text::body),
                                       Style::secondary(colours.boxPalette), r));
        // The path as stored: no "~", shortened in the middle, whole in the tooltip.
        auto* label = new ElidedLabel(path, r);
        label->setObjectName(QStringLiteral("folderPath"));
        label->setFont(Style::monospaced(Style::Text::caption));
        label->setColor(Style::primary(colours.boxPalette));
        line->addWidget(label, 1);
        if (missing.contains(path)) {
            QLabel* mark = caption(t(QT_TRANSLATE_NOOP("SettingsView", "Doesn't exist")), errorColor());
            mark->setObjectName(QStringLiteral("missingFolder"));
            mark->setWordWrap(false);
            mark->setParent(r);
            line->addWidget(mark);
        }
        auto* remove = new QToolButton(r);
        remove->setObjectName(QStringLiteral("removeFolder"));
        remove->setAutoRaise(true);
        remove->setIcon(Symbol::icon(QStringLiteral("minus.circle"), Style::secondary(colours.boxPalette),
                                     Style::pixelSize(Style::Text::body)));
        remove->setAccessibleName(t(QT_TRANSLATE_NOOP("SettingsView", "Remove")));
        remove->setToolTip(remove->accessibleName());
        remove->setCursor(Qt::PointingHandCursor);
        FocusRing::attach(remove);
        line->addWidget(remove);
        connect(remove, &QToolButton::clicked, this, [this, list, path] {
            switch (list) {
            case FolderList::custom: m_model.removeCustomFolder(path); break;
            case FolderList::pinned: unpinFolder(path); break;
            case FolderList::projects: removeProjectFolder(path); break;
            }
        });
        section.rows->addRow(r);
    }
}

// ---- for tests

SettingsView::FolderSection& SettingsView::folderSection(FolderList list)
{
    return list == FolderList::custom ? m_custom : list == FolderList::pinned ? m_pinned : m_projects;
}

const SettingsView::FolderSection& SettingsView::folderSection(FolderList list) const
{
    return list == FolderList::custom ? m_custom : list == FolderList::pinned ? m_pinned : m_projects;
}

QStringList SettingsView::shownFolders(FolderList list) const
{
    QStringList out;
    for (QWidget* r : folderSection(list).rows->rows())
        if (!r->isHidden())
            out << r->property("path").toString();
    return out;
}

QAbstractButton* SettingsView::removeButton(FolderList list, const QString& path) const
{
    for (QWidget* r : folderSection(list).rows->rows())
        if (!r->isHidden() && r->property("path").toString() == path)
            return r->findChild<QToolButton*>(QStringLiteral("removeFolder"));
    return nullptr;
}

QLabel* SettingsView::emptyCaption(FolderList list) const { return folderSection(list).empty; }

ToggleSwitch* SettingsView::extraCacheSwitch(const QString& targetId) const
{
    for (const auto& [id, toggle] : m_extraSwitches)
        if (id == targetId)
            return toggle;
    return nullptr;
}

bool SettingsView::isSectionShown(const QString& title) const
{
    for (const auto& [name, section] : m_sections)
        if (name == title)
            return section && !section->isHidden();
    return false;
}

QStringList SettingsView::sectionTitles() const
{
    QStringList out;
    for (const auto& [name, section] : m_sections)
        if (section && !section->isHidden())
            out << name;
    return out;
}
