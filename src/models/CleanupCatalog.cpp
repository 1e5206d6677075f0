#include "models/CleanupCatalog.h"

#include "platform/Trash.h"

#include <QCoreApplication>

namespace {

using namespace CleanupKinds;

// Built-in targets a platform does not offer, one row per platform. Off macOS the system caches
// that only macOS keeps are left out: saved window state, the music app's streaming cache and
// Mail's attachment copies. The Linux catalog adds its rows here.
struct NotOffered {
    CleanupCatalog::Platform platform;
    QStringList ids;
};
const QList<NotOffered>& notOfferedTable()
{
    static const QList<NotOffered> table = {
        {CleanupCatalog::Platform::macOS, {}},
        {CleanupCatalog::Platform::other,
         {QStringLiteral("savedstate"), QStringLiteral("musiccache"), QStringLiteral("maildownloads")}},
    };
    return table;
}

// Names and details are translated when the list is built.
QString t(const char* text) { return QCoreApplication::translate("CleanupCatalog", text); }

CleanupTarget make(CleanupCategory category, const char* id, const char* name, const char* symbol,
                   const char* detail, CleanupKind kind)
{
    return CleanupTarget{QString::fromUtf8(id), t(name), QString::fromUtf8(symbol), t(detail),
                         std::move(kind), category, true};
}

QList<CleanupTarget> buildCatalog()
{
    const auto R = CleanupCategory::recommended;
    const auto B = CleanupCategory::browsers;
    const auto D = CleanupCategory::developer;
    return {
        make(R, "trash", QT_TRANSLATE_NOOP("CleanupCatalog", "Trash"), "trash.fill",
             QT_TRANSLATE_NOOP("CleanupCatalog", "Empty the Trash"), Paths{Trash::targetPaths()}),
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
             Paths{{"~/Library/Caches/Google/Chrome",
                    "~/Library/Application Support/Google/Chrome/Default/Cache",
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
             QT_TRANSLATE_NOOP("CleanupCatalog", "Python pip download cache"),
             Paths{{"~/Library/Caches/pip"}}),
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
             Paths{{"~/Library/Caches/org.swift.swiftpm", "~/Library/Caches/typescript",
                    "~/Library/Caches/node-gyp"}}),
        make(D, "ml", QT_TRANSLATE_NOOP("CleanupCatalog", "ML / browser-automation caches"), "brain.head.profile",
             QT_TRANSLATE_NOOP("CleanupCatalog", "puppeteer, huggingface, whisper, selenium"),
             Paths{{"~/.cache/puppeteer", "~/.cache/huggingface", "~/.cache/whisper", "~/.cache/selenium"}}),
    };
}

} // namespace

namespace CleanupCatalog {

const QList<CleanupTarget>& builtIn()
{
    static const QList<CleanupTarget> catalog = buildCatalog();
    return catalog;
}

QList<CleanupTarget> finderTargets(const QStringList& roots, const QStringList& ignore, int minAgeDays)
{
    struct Row { const char* id; const char* name; const char* detail; QStringList names; int maxDepth; QStringList markers; };
    const Row rows[] = {
        {"node_modules", QT_TRANSLATE_NOOP("CleanupCatalog", "node_modules folders"),
         QT_TRANSLATE_NOOP("CleanupCatalog", "Reinstall with npm/yarn/pnpm install"), {"node_modules"}, 5, {}},
        {"next_build", QT_TRANSLATE_NOOP("CleanupCatalog", "Next.js build output"),
         QT_TRANSLATE_NOOP("CleanupCatalog", ".next folders \u2014 rebuilt on next build"), {".next"}, 5, {}},
        {"rust_target", QT_TRANSLATE_NOOP("CleanupCatalog", "Rust target folders"),
         QT_TRANSLATE_NOOP("CleanupCatalog", "target/ next to Cargo.toml \u2014 rebuilt with cargo build"),
         {"target"}, 4, {"Cargo.toml"}},
        {"pycache", QT_TRANSLATE_NOOP("CleanupCatalog", "Python __pycache__"),
         QT_TRANSLATE_NOOP("CleanupCatalog", "Bytecode caches \u2014 regenerated automatically"), {"__pycache__"}, 6, {}},
        {"venv", QT_TRANSLATE_NOOP("CleanupCatalog", "Python virtualenvs"),
         QT_TRANSLATE_NOOP("CleanupCatalog", ".venv next to a manifest \u2014 recreate with pip install"),
         {".venv", "venv"}, 4, {"pyproject.toml", "requirements.txt", "Pipfile", "setup.py"}},
    };
    QList<CleanupTarget> out;
    for (const Row& r : rows) {
        out.append(make(CleanupCategory::buildArtifacts, r.id, r.name, "shippingbox.fill", r.detail,
                        CleanupKinds::Finder{roots, r.names, r.maxDepth, ignore, minAgeDays, r.markers}));
    }
    return out;
}

} // namespace CleanupCatalog

bool CleanupCatalog::isOffered(const QString& id, Platform platform)
{
    for (const NotOffered& row : notOfferedTable())
        if (row.platform == platform)
            return !row.ids.contains(id);
    return true;
}

bool CleanupCatalog::isOffered(const QString& id)
{
#ifdef Q_OS_MACOS
    return isOffered(id, Platform::macOS);
#else
    return isOffered(id, Platform::other);
#endif
}
