#include "models/CleanupCatalog.h"

#include "platform/Paths.h"
#include "platform/UserDirs.h"

#include <QCoreApplication>
#include <QSet>

#include <map>
#include <mutex>
#include <utility>

namespace {

// The kinds by their short names (the path helpers stay reachable as ::Paths).
using CleanupKinds::Command;
using CleanupKinds::Paths;

// Names and details are translated when the list is built.
QString t(const char* text) { return QCoreApplication::translate("CleanupCatalog", text); }

CleanupTarget make(CleanupCategory category, const char* id, const char* name, const char* symbol, const char* detail,
                   CleanupKind kind)
{
    return CleanupTarget{
        QString::fromUtf8(id), t(name), QString::fromUtf8(symbol), t(detail), std::move(kind), category, true};
}

// The catalog as macOS keeps its data.
QList<CleanupTarget> macCatalog()
{
    const auto R = CleanupCategory::recommended;
    const auto B = CleanupCategory::browsers;
    const auto D = CleanupCategory::developer;
    return {
        make(R, "trash", QT_TRANSLATE_NOOP("CleanupCatalog", "Trash"), "trash.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Empty the Trash"), Paths{{"~/.Trash"}}),
        make(R, "appcaches", QT_TRANSLATE_NOOP("CleanupCatalog", "App cache files"), "shippingbox.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Temporary files apps recreate as needed"),
             Paths{{"~/Library/Caches"}}),
        make(R, "logs", QT_TRANSLATE_NOOP("CleanupCatalog", "App & system logs"), "doc.text.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Old log files"), Paths{{"~/Library/Logs"}}),
        make(R, "savedstate", QT_TRANSLATE_NOOP("CleanupCatalog", "Saved application state"), "macwindow",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Window/tab restore data \u2014 apps won't reopen last session"),
             Paths{{"~/Library/Saved Application State"}}),
        make(R, "musiccache", QT_TRANSLATE_NOOP("CleanupCatalog", "Apple Music cache"), "music.note",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Streamed-audio cache \u2014 songs re-buffer next time"),
             Paths{{"~/Library/Caches/com.apple.Music/SubscriptionPlayCache",
                    "~/Library/Caches/com.apple.Music/fsCachedData"}}),
        make(R, "maildownloads", QT_TRANSLATE_NOOP("CleanupCatalog", "Mail attachment previews"), "envelope.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Temp copies of opened attachments \u2014 originals stay safe"),
             Paths{{"~/Library/Containers/com.apple.mail/Data/Library/Mail Downloads"}}),

        make(B, "chrome", QT_TRANSLATE_NOOP("CleanupCatalog", "Google Chrome cache"), "globe",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Cached web data \u2014 pages reload as needed"),
             Paths{{"~/Library/Caches/Google/Chrome", "~/Library/Application Support/Google/Chrome/Default/Cache",
                    "~/Library/Application Support/Google/Chrome/Default/Code Cache"}}),
        make(B, "safari", QT_TRANSLATE_NOOP("CleanupCatalog", "Safari cache"), "safari.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Cached web data \u2014 pages reload as needed"),
             Paths{{"~/Library/Containers/com.apple.Safari/Data/Library/Caches"}}),
        make(B, "firefox", QT_TRANSLATE_NOOP("CleanupCatalog", "Firefox cache"), "globe",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Cached web data \u2014 pages reload as needed"),
             Paths{{"~/Library/Caches/Firefox"}}),

        make(D, "derived", QT_TRANSLATE_NOOP("CleanupCatalog", "Xcode DerivedData"), "hammer.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Build artifacts \u2014 rebuilt on next build"),
             Paths{{"~/Library/Developer/Xcode/DerivedData"}}),
        make(D, "devicesupport", QT_TRANSLATE_NOOP("CleanupCatalog", "Old iOS DeviceSupport"), "iphone.gen2",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Symbol caches \u2014 regenerated on device connect"),
             Paths{{"~/Library/Developer/Xcode/iOS DeviceSupport"}}),
        make(D, "sims", QT_TRANSLATE_NOOP("CleanupCatalog", "Unavailable simulators"), "iphone.slash",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Orphaned iOS simulators (active ones kept)"),
             Command{"xcrun simctl delete unavailable", {}}),
        make(D, "gradle", QT_TRANSLATE_NOOP("CleanupCatalog", "Gradle caches"), "shippingbox.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Android/Gradle downloads & build cache"),
             Paths{{"~/.gradle/caches", "~/.gradle/wrapper/dists"}}),
        make(D, "npm", QT_TRANSLATE_NOOP("CleanupCatalog", "npm cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Node package cache"),
             Command{"npm cache clean --force", {"~/.npm/_cacache"}}),
        make(D, "yarn", QT_TRANSLATE_NOOP("CleanupCatalog", "Yarn cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Yarn package cache"),
             Command{"yarn cache clean", {"~/Library/Caches/Yarn"}}),
        make(D, "pnpm", QT_TRANSLATE_NOOP("CleanupCatalog", "pnpm store"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "pnpm content-addressable store"),
             Command{"pnpm store prune", {"~/Library/pnpm/store", "~/.pnpm-store"}}),
        make(D, "uv", QT_TRANSLATE_NOOP("CleanupCatalog", "uv cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Python uv package cache"),
             Command{"uv cache clean", {"~/.cache/uv"}}),
        make(D, "pip", QT_TRANSLATE_NOOP("CleanupCatalog", "pip cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Python pip download cache"), Paths{{"~/Library/Caches/pip"}}),
        make(D, "pods", QT_TRANSLATE_NOOP("CleanupCatalog", "CocoaPods cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Pod download cache"),
             Command{"pod cache clean --all", {"~/Library/Caches/CocoaPods"}}),
        make(D, "pub", QT_TRANSLATE_NOOP("CleanupCatalog", "Flutter / pub cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Dart/Flutter packages"), Paths{{"~/.pub-cache"}}),
        make(D, "go", QT_TRANSLATE_NOOP("CleanupCatalog", "Go module cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Downloaded Go modules"),
             Command{"go clean -modcache", {"~/go/pkg/mod"}}),
        make(D, "cargo", QT_TRANSLATE_NOOP("CleanupCatalog", "Cargo registry cache"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Rust crate downloads"),
             Paths{{"~/.cargo/registry/cache", "~/.cargo/registry/src"}}),
        make(D, "docker", QT_TRANSLATE_NOOP("CleanupCatalog", "Docker prune"), "shippingbox.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Dangling images, stopped containers, build cache"),
             Command{"docker system prune -f", {}}),
        make(D, "jetbrains", QT_TRANSLATE_NOOP("CleanupCatalog", "JetBrains caches"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "IntelliJ/PyCharm/etc. caches"),
             Paths{{"~/Library/Caches/JetBrains"}}),
        make(D, "brew", QT_TRANSLATE_NOOP("CleanupCatalog", "Homebrew cleanup"), "mug.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Old versions & download cache"),
             Command{"brew cleanup -s", {"~/Library/Caches/Homebrew"}}),
        make(D, "swiftpm", QT_TRANSLATE_NOOP("CleanupCatalog", "Swift / build tool caches"), "cube.box.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "SwiftPM, TypeScript, node-gyp"),
             Paths{{"~/Library/Caches/org.swift.swiftpm", "~/Library/Caches/typescript", "~/Library/Caches/node-gyp"}}),
        make(D, "ml", QT_TRANSLATE_NOOP("CleanupCatalog", "ML / browser-automation caches"), "brain.head.profile",
             QT_TRANSLATE_NOOP("CleanupCatalog", "puppeteer, huggingface, whisper, selenium"),
             Paths{{"~/.cache/puppeteer", "~/.cache/huggingface", "~/.cache/whisper", "~/.cache/selenium"}}),
    };
}

// Off macOS: where the desktop keeps the same data, one row per target that has a safe
// equivalent there, in catalog order. A target without a row is not offered (Safari, Mail,
// Xcode and the simulators, saved window state, the music app, CocoaPods, and the logs: Linux
// keeps user logs in the journal or mixed with state in ~/.local/state, never in a folder of
// logs only). Name and detail are the macOS row's unless given. "$XDG_CACHE_HOME" and
// "$XDG_DATA_HOME" stand for the desktop's base folders; tools that ignore them keep fixed paths.
struct PlatformRow {
    const char* id;
    CleanupKind kind;
    const char* name = nullptr;
};

QList<PlatformRow> linuxRows()
{
    return {
        {"trash", Paths{{"~/.Trash", "$XDG_DATA_HOME/Trash/files", "$XDG_DATA_HOME/Trash/info"}}},
        // Everything in the cache folder but the places of other targets (see keepOthersOut).
        {"appcaches", Paths{{"$XDG_CACHE_HOME"}}},
        // Both browsers keep only their disk and code caches here; profiles live in ~/.config.
        {"chrome", Paths{{"$XDG_CACHE_HOME/google-chrome", "$XDG_CACHE_HOME/chromium"}},
         QT_TRANSLATE_NOOP("CleanupCatalog", "Chrome / Chromium cache")},
        // Each profile's web cache; the rest of a profile's cache folder stays.
        {"firefox", Paths{{"$XDG_CACHE_HOME/mozilla/firefox/*/cache2"}}},
        {"gradle", Paths{{"~/.gradle/caches", "~/.gradle/wrapper/dists"}}},
        {"npm", Command{"npm cache clean --force", {"~/.npm/_cacache"}}},
        {"yarn", Command{"yarn cache clean", {"$XDG_CACHE_HOME/yarn"}}},
        {"pnpm", Command{"pnpm store prune", {"$XDG_DATA_HOME/pnpm/store", "~/.pnpm-store"}}},
        {"uv", Command{"uv cache clean", {"$XDG_CACHE_HOME/uv"}}},
        {"pip", Paths{{"$XDG_CACHE_HOME/pip"}}},
        {"pub", Paths{{"~/.pub-cache"}}},
        {"go", Command{"go clean -modcache", {"~/go/pkg/mod"}}},
        {"cargo", Paths{{"~/.cargo/registry/cache", "~/.cargo/registry/src"}}},
        {"docker", Command{"docker system prune -f", {}}},
        {"jetbrains", Paths{{"$XDG_CACHE_HOME/JetBrains"}}},
        {"brew", Command{"brew cleanup -s", {"$XDG_CACHE_HOME/Homebrew"}}},
        {"swiftpm",
         Paths{{"$XDG_CACHE_HOME/org.swift.swiftpm", "$XDG_CACHE_HOME/typescript", "$XDG_CACHE_HOME/node-gyp"}}},
        // Puppeteer and Selenium write below ~/.cache whatever XDG_CACHE_HOME says.
        {"ml",
         Paths{{"~/.cache/puppeteer", "$XDG_CACHE_HOME/huggingface", "$XDG_CACHE_HOME/whisper", "~/.cache/selenium"}}},
    };
}

// The base folders as they are stored in paths: "~"-relative when inside the home folder.
struct BaseFolders {
    QString cache;
    QString data;
};

BaseFolders baseFolders()
{
    return {::Paths::abbreviateHome(UserDirs::cacheHome()), ::Paths::abbreviateHome(UserDirs::dataHome())};
}

QString substitute(const QString& path, const BaseFolders& base)
{
    for (const auto& [variable, value] : {std::pair{QStringLiteral("$XDG_CACHE_HOME"), base.cache},
                                          std::pair{QStringLiteral("$XDG_DATA_HOME"), base.data}}) {
        if (path == variable || path.startsWith(variable + QLatin1Char('/')))
            return value + path.mid(variable.size());
    }
    return path;
}

QStringList substitute(QStringList paths, const BaseFolders& base)
{
    for (QString& p : paths)
        p = substitute(p, base);
    return paths;
}

CleanupKind substitute(const CleanupKind& kind, const BaseFolders& base)
{
    if (const auto* p = std::get_if<Paths>(&kind))
        return Paths{substitute(p->paths, base), substitute(p->keep, base)};
    if (const auto* c = std::get_if<Command>(&kind))
        return Command{c->shell, substitute(c->fallbackPaths, base)};
    return kind;
}

// The places a target stands for, from its kind (paths or fallback paths).
QStringList placesOf(const CleanupKind& kind)
{
    if (const auto* p = std::get_if<Paths>(&kind))
        return p->paths;
    if (const auto* c = std::get_if<Command>(&kind))
        return c->fallbackPaths;
    return {};
}

// The app-cache target empties the cache folder without the entries that hold another target's
// place, so that browser, developer and ML caches are cleared only by their own targets (never
// by the scheduled cleanup of the everyday caches) and no byte belongs to two targets.
void keepOthersOut(QList<CleanupTarget>& catalog)
{
    for (CleanupTarget& target : catalog) {
        auto* kind = std::get_if<Paths>(&target.kind);
        if (target.id != QLatin1String("appcaches") || !kind || kind->paths.size() != 1)
            continue;
        const QString folder = kind->paths.first() + QLatin1Char('/');
        QStringList keep;
        for (const CleanupTarget& other : std::as_const(catalog)) {
            if (other.id == target.id)
                continue;
            for (const QString& place : placesOf(other.kind)) {
                if (!place.startsWith(folder))
                    continue;
                const QString entry = folder + place.mid(folder.size()).section(QLatin1Char('/'), 0, 0);
                if (!keep.contains(entry))
                    keep.append(entry);
            }
        }
        kind->keep = keep;
    }
}

QList<CleanupTarget> platformCatalog(const QList<CleanupTarget>& mac, const QList<PlatformRow>& rows)
{
    const BaseFolders base = baseFolders();
    QList<CleanupTarget> out;
    for (const CleanupTarget& target : mac) {
        for (const PlatformRow& row : rows) {
            if (target.id != QLatin1String(row.id))
                continue;
            CleanupTarget t = target;
            t.kind = substitute(row.kind, base);
            if (row.name)
                t.name = QCoreApplication::translate("CleanupCatalog", row.name);
            out.append(t);
        }
    }
    keepOthersOut(out);
    return out;
}

} // namespace

namespace CleanupCatalog {

const QList<CleanupTarget>& builtIn() { return builtIn(hostPlatform()); }

const QList<CleanupTarget>& builtIn(Platform platform)
{
    // One list per platform and base folders, built on first use and kept: the folders do not
    // change while the program runs, but each test may point them somewhere new.
    static std::mutex mutex;
    static std::map<QString, QList<CleanupTarget>> built;
    QString key = platform == Platform::macOS ? QStringLiteral("macOS") : QStringLiteral("other");
    if (platform != Platform::macOS) {
        const BaseFolders base = baseFolders();
        key += QChar(0) + base.cache + QChar(0) + base.data;
    }
    const std::lock_guard lock(mutex);
    auto it = built.find(key);
    if (it == built.end()) {
        const QList<CleanupTarget> mac = macCatalog();
        it = built.emplace(key, platform == Platform::macOS ? mac : platformCatalog(mac, linuxRows())).first;
    }
    return it->second;
}

bool isOffered(const QString& id) { return isOffered(id, hostPlatform()); }

bool isOffered(const QString& id, Platform platform)
{
    if (platform == Platform::macOS)
        return true;
    static const auto ids = [](const auto& rows) {
        QSet<QString> set;
        for (const auto& r : rows)
            set.insert(QString::fromUtf8(r.id));
        return set;
    };
    static const QSet<QString> mac = [] {
        QSet<QString> set;
        for (const CleanupTarget& t : macCatalog())
            set.insert(t.id);
        return set;
    }();
    static const QSet<QString> linux = ids(linuxRows());
    // Ids the catalog does not know (folder searches, custom folders) are offered everywhere.
    return !mac.contains(id) || linux.contains(id);
}

QList<CleanupTarget> finderTargets(const QStringList& roots, const QStringList& ignore, int minAgeDays)
{
    struct Row {
        const char* id;
        const char* name;
        const char* detail;
        QStringList names;
        int maxDepth;
        QStringList markers;
    };
    const Row rows[] = {
        {"node_modules",
         QT_TRANSLATE_NOOP("CleanupCatalog", "node_modules folders"),
         QT_TRANSLATE_NOOP("CleanupCatalog", "Reinstall with npm/yarn/pnpm install"),
         {"node_modules"},
         5,
         {}},
        {"next_build",
         QT_TRANSLATE_NOOP("CleanupCatalog", "Next.js build output"),
         QT_TRANSLATE_NOOP("CleanupCatalog", ".next folders \u2014 rebuilt on next build"),
         {".next"},
         5,
         {}},
        {"rust_target",
         QT_TRANSLATE_NOOP("CleanupCatalog", "Rust target folders"),
         QT_TRANSLATE_NOOP("CleanupCatalog", "target/ next to Cargo.toml \u2014 rebuilt with cargo build"),
         {"target"},
         4,
         {"Cargo.toml"}},
        {"pycache",
         QT_TRANSLATE_NOOP("CleanupCatalog", "Python __pycache__"),
         QT_TRANSLATE_NOOP("CleanupCatalog", "Bytecode caches \u2014 regenerated automatically"),
         {"__pycache__"},
         6,
         {}},
        {"venv",
         QT_TRANSLATE_NOOP("CleanupCatalog", "Python virtualenvs"),
         QT_TRANSLATE_NOOP("CleanupCatalog", ".venv next to a manifest \u2014 recreate with pip install"),
         {".venv", "venv"},
         4,
         {"pyproject.toml", "requirements.txt", "Pipfile", "setup.py"}},
    };
    QList<CleanupTarget> out;
    for (const Row& r : rows) {
        out.append(make(CleanupCategory::buildArtifacts, r.id, r.name, "shippingbox.fill", r.detail,
                        CleanupKinds::Finder{roots, r.names, r.maxDepth, ignore, minAgeDays, r.markers}));
    }
    return out;
}

} // namespace CleanupCatalog
