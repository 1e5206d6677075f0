#include "models/ScanPreset.h"

#include "platform/MountedVolumes.h"
#include "platform/Paths.h"
#include "platform/UserDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace {

constexpr const char* kContext = "ScanPreset";

// The folders that hold the platform's applications, in order of preference.
struct AppsFolder {
    const char* path; // "~" is the home folder
    bool mustHoldItems; // an empty folder does not count
};
struct AppsFolders {
    QList<AppsFolder> folders;
    bool alwaysOffered; // the first one is offered even when none exists
};

AppsFolders appsFolders(HostPlatform platform)
{
    if (platform == HostPlatform::macOS)
        return {{{"/Applications", false}}, true};
    // AppImages and hand-installed programs.
    return {{{"~/Applications", false}, {"/opt", true}}, false};
}

std::optional<QString> applicationsFolder(HostPlatform platform)
{
    const AppsFolders apps = appsFolders(platform);
    for (const AppsFolder& f : apps.folders) {
        const QString path = Paths::expandTilde(QString::fromUtf8(f.path));
        const QFileInfo info(path);
        if (!info.isDir())
            continue;
        if (f.mustHoldItems
            && QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            continue;
        return path;
    }
    if (apps.alwaysOffered)
        return Paths::expandTilde(QString::fromUtf8(apps.folders.first().path));
    return std::nullopt;
}

// macOS names the user folders in English below the home folder; other desktops keep their own,
// localised ones.
std::optional<QString> userFolder(HostPlatform platform, UserDirs::Dir dir, const char* macRelative)
{
    if (platform == HostPlatform::macOS)
        return Paths::home() + QLatin1Char('/') + QLatin1String(macRelative);
    return UserDirs::path(dir);
}

ScanPreset fixed(const char* label, const char* symbol, const QString& path)
{
    return ScanPreset{QUuid(), QString::fromUtf8(label), QString::fromUtf8(symbol), path, true};
}

bool samePlaces(const QList<ScanPreset>& a, const QList<ScanPreset>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].label != b[i].label || a[i].path != b[i].path)
            return false;
    return true;
}

} // namespace

QList<ScanPreset> ScanPreset::fixedPlaces(HostPlatform platform)
{
    QList<ScanPreset> places;
    places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Home"), "house", Paths::home()));
    if (auto p = userFolder(platform, UserDirs::Dir::Documents, "Documents"))
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Documents"), "doc.text", *p));
    if (auto p = userFolder(platform, UserDirs::Dir::Download, "Downloads"))
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Downloads"), "arrow.down.circle", *p));
    if (auto p = userFolder(platform, UserDirs::Dir::Desktop, "Desktop"))
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Desktop"), "menubar.dock.rectangle", *p));
    if (auto p = applicationsFolder(platform))
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Applications"), "app.badge", *p));
    places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Whole Disk"), "internaldrive", QStringLiteral("/")));
    return places;
}

QString ScanPreset::displayLabel() const
{
    return isFixedPlace ? QCoreApplication::translate(kContext, label.toUtf8().constData()) : label;
}

QList<ScanPreset> ScanPreset::all()
{
    static QMutex mutex;
    static QList<ScanPreset> cached;
    QList<ScanPreset> places = fixedPlaces(hostPlatform());
    QMutexLocker lock(&mutex);
    if (!samePlaces(places, cached)) {
        for (ScanPreset& p : places)
            p.id = QUuid::createUuid();
        cached = places;
    }
    return cached;
}

QList<ScanPreset> ScanPreset::mountedVolumes()
{
    QList<ScanPreset> out;
    for (const MountedVolumes::Volume& v : MountedVolumes::list())
        out.append(ScanPreset{QUuid::createUuid(), v.name, QStringLiteral("externaldrive"), v.path, false});
    return out;
}
