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
    const char* path;      // "~" is the home folder
    bool mustHoldItems;    // an empty folder does not count
};
#ifdef Q_OS_MACOS
constexpr AppsFolder kAppsFolders[] = {{"/Applications", false}};
constexpr bool kAlwaysOfferApps = true;
#else
constexpr AppsFolder kAppsFolders[] = {{"~/Applications", false}, {"/opt", true}};
constexpr bool kAlwaysOfferApps = false;
#endif

std::optional<QString> applicationsFolder()
{
    for (const AppsFolder& f : kAppsFolders) {
        const QString path = Paths::expandTilde(QString::fromUtf8(f.path));
        const QFileInfo info(path);
        if (!info.isDir())
            continue;
        if (f.mustHoldItems && QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            continue;
        return path;
    }
    if (kAlwaysOfferApps)
        return Paths::expandTilde(QString::fromUtf8(kAppsFolders[0].path));
    return std::nullopt;
}

std::optional<QString> userFolder(UserDirs::Dir dir, const char* macRelative)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(dir);
    return Paths::home() + QLatin1Char('/') + QLatin1String(macRelative);
#else
    Q_UNUSED(macRelative);
    return UserDirs::path(dir);
#endif
}

ScanPreset fixed(const char* label, const char* symbol, const QString& path)
{
    return ScanPreset{QUuid(), QString::fromUtf8(label), QString::fromUtf8(symbol), path, true};
}

QList<ScanPreset> currentPlaces()
{
    QList<ScanPreset> places;
    places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Home"), "house", Paths::home()));
    if (auto p = userFolder(UserDirs::Dir::Documents, "Documents"))
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Documents"), "doc.text", *p));
    if (auto p = userFolder(UserDirs::Dir::Download, "Downloads"))
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Downloads"), "arrow.down.circle", *p));
    if (auto p = userFolder(UserDirs::Dir::Desktop, "Desktop"))
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Desktop"), "menubar.dock.rectangle", *p));
    if (auto p = applicationsFolder())
        places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Applications"), "app.badge", *p));
    places.append(fixed(QT_TRANSLATE_NOOP("ScanPreset", "Whole Disk"), "internaldrive", QStringLiteral("/")));
    return places;
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

QString ScanPreset::displayLabel() const
{
    return isFixedPlace ? QCoreApplication::translate(kContext, label.toUtf8().constData()) : label;
}

QList<ScanPreset> ScanPreset::all()
{
    static QMutex mutex;
    static QList<ScanPreset> cached;
    QList<ScanPreset> places = currentPlaces();
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
