#include "models/ScanPreset.h"
#include "platform/MountedVolumes.h"

#include "TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using MountedVolumes::Mount;
using MountedVolumes::Volume;
Q_DECLARE_METATYPE(MountedVolumes::Mount)

namespace {

QStringList labels(const QList<ScanPreset>& presets)
{
    QStringList out;
    for (const ScanPreset& p : presets)
        out << p.label;
    return out;
}

const ScanPreset* find(const QList<ScanPreset>& presets, const QString& label)
{
    for (const ScanPreset& p : presets)
        if (p.label == label)
            return &p;
    return nullptr;
}

// What the applications entry should be on this machine when ~/Applications is missing.
std::optional<QString> expectedSystemApps()
{
    const QDir opt(QStringLiteral("/opt"));
    if (QFileInfo(opt.path()).isDir()
        && !opt.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return QStringLiteral("/opt");
    return std::nullopt;
}

} // namespace

class tst_ScanPreset : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { MountedVolumes::setMountsForTesting(std::nullopt); }

    void fixedPlacesInOrder()
    {
        TestHome home;
        QVERIFY(home.isValid());
        home.mkdir(QStringLiteral("Applications"));
        const QList<ScanPreset> all = ScanPreset::all();
        QCOMPARE(labels(all), (QStringList{"Home", "Documents", "Downloads", "Desktop", "Applications", "Whole Disk"}));
        const QList<QStringList> expected = {
            {"house", home.path()},
            {"doc.text", home("Documents")},
            {"arrow.down.circle", home("Downloads")},
            {"menubar.dock.rectangle", home("Desktop")},
            {"app.badge", home("Applications")},
            {"internaldrive", "/"},
        };
        QSet<QUuid> ids;
        for (qsizetype i = 0; i < all.size(); ++i) {
            QCOMPARE(all[i].symbol, expected[i][0]);
            QCOMPARE(all[i].path, expected[i][1]);
            QVERIFY(all[i].isFixedPlace);
            QVERIFY(!all[i].id.isNull());
            ids.insert(all[i].id);
        }
        QCOMPARE(ids.size(), all.size());
        // The same places keep their ids: a list built from them keeps its identity.
        QCOMPARE(ScanPreset::all(), all);
    }

    void userFoldersFollowTheDesktop()
    {
        TestHome home;
        QVERIFY(home.isValid());
        home.writeText(QStringLiteral(".config/user-dirs.dirs"),
                       "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                       "XDG_DESKTOP_DIR=\"$HOME/\"\n");
        const QList<ScanPreset> all = ScanPreset::all();
        QCOMPARE(find(all, "Documents")->path, home("Dokumente"));
        QCOMPARE(find(all, "Downloads")->path, home("Downloads"));
        // A desktop folder switched off (the home itself) is not offered twice.
        QVERIFY(!find(all, "Desktop"));
        QCOMPARE(all.first().label, QStringLiteral("Home"));
        QCOMPARE(all.last().label, QStringLiteral("Whole Disk"));
    }

    void applicationsFolderOffMacOS()
    {
        TestHome home;
        QVERIFY(home.isValid());
        const std::optional<QString> system = expectedSystemApps();
        const ScanPreset* apps = find(ScanPreset::all(), "Applications");
        QCOMPARE(apps ? std::optional<QString>(apps->path) : std::nullopt, system);

        home.mkdir(QStringLiteral("Applications"));
        const QList<ScanPreset> withOwn = ScanPreset::all();
        QVERIFY(find(withOwn, "Applications"));
        QCOMPARE(find(withOwn, "Applications")->path, home("Applications"));
    }

    // The other platform's table is built here too: macOS names its user folders in English
    // whatever the desktop's list says, and always offers /Applications.
    void placesOfEachPlatform()
    {
        TestHome home;
        QVERIFY(home.isValid());
        home.writeText(QStringLiteral(".config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
        QStringList mac;
        for (const ScanPreset& p : ScanPreset::fixedPlaces(HostPlatform::macOS))
            mac << p.label + "=" + p.path;
        QCOMPARE(mac,
                 (QStringList{"Home=" + home.path(), "Documents=" + home("Documents"), "Downloads=" + home("Downloads"),
                              "Desktop=" + home("Desktop"), "Applications=/Applications", "Whole Disk=/"}));
        const QList<ScanPreset> other = ScanPreset::fixedPlaces(HostPlatform::other);
        QCOMPARE(find(other, "Documents")->path, home("Dokumente"));
        const ScanPreset* apps = find(other, "Applications");
        QCOMPARE(apps ? std::optional<QString>(apps->path) : std::nullopt, expectedSystemApps());
    }

    void newHomeGivesNewPlaces()
    {
        QList<ScanPreset> first;
        {
            TestHome home;
            first = ScanPreset::all();
        }
        TestHome other;
        const QList<ScanPreset> second = ScanPreset::all();
        QCOMPARE(second.first().path, other.path());
        QVERIFY(second.first().id != first.first().id);
    }

    void displayLabel()
    {
        const ScanPreset fixed{QUuid::createUuid(), "Home", "house", "/h", true};
        const ScanPreset volume{QUuid::createUuid(), "Home", "externaldrive", "/media/Home", false};
        QCOMPARE(fixed.displayLabel(), QStringLiteral("Home")); // no translation loaded
        QCOMPARE(volume.displayLabel(), QStringLiteral("Home"));
    }

    void browsableVolumes_data()
    {
        QTest::addColumn<Mount>("mount");
        QTest::addColumn<bool>("offered");
        auto m = [](const char* path, const char* device, const char* type, bool ready = true) {
            return Mount{QString::fromUtf8(path), device, type, QString(), ready};
        };
        QTest::newRow("second disk") << m("/media/al/Backup", "/dev/sdb1", "ext4") << true;
        QTest::newRow("usb stick") << m("/run/media/al/STICK", "/dev/sdc1", "vfat") << true;
        QTest::newRow("mounted disk image") << m("/media/al/CDROM", "/dev/loop7", "iso9660") << true;
        QTest::newRow("separate home partition") << m("/home", "/dev/sda3", "ext4") << true;
        QTest::newRow("start-up disk") << m("/", "/dev/sda2", "ext4") << false;
        QTest::newRow("start-up disk mounted again") << m("/srv/bind", "/dev/sda2", "ext4") << false;
        QTest::newRow("not ready") << m("/media/al/Card", "/dev/sdd1", "exfat", false) << false;
        QTest::newRow("proc") << m("/proc", "proc", "proc") << false;
        QTest::newRow("sysfs") << m("/sys", "sysfs", "sysfs") << false;
        QTest::newRow("run tmpfs") << m("/run", "tmpfs", "tmpfs") << false;
        QTest::newRow("devtmpfs") << m("/dev", "udev", "devtmpfs") << false;
        QTest::newRow("cgroup") << m("/sys/fs/cgroup", "cgroup2", "cgroup2") << false;
        QTest::newRow("network share") << m("/mnt/share", "//server/share", "cifs") << false;
        QTest::newRow("container overlay") << m("/var/lib/docker/overlay2/x/merged", "overlay", "overlay") << false;
        QTest::newRow("snap package") << m("/snap/core/1", "/dev/loop1", "squashfs") << false;
        QTest::newRow("boot partition") << m("/boot", "/dev/sda1", "ext2") << false;
        QTest::newRow("efi partition") << m("/boot/efi", "/dev/sda4", "vfat") << false;
        QTest::newRow("relative mount path") << m("media/x", "/dev/sde1", "ext4") << false;
    }

    void browsableVolumes()
    {
        QFETCH(Mount, mount);
        QFETCH(bool, offered);
        QCOMPARE(MountedVolumes::isBrowsable(mount, "/dev/sda2"), offered);
    }

    void volumePresets()
    {
        MountedVolumes::setMountsForTesting(QList<Mount>{
            {"/proc", "proc", "proc", "", true},
            {"/media/al/Photos", "/dev/sdb1", "ext4", "Photo Archive", true},
            {"/", "/dev/sda2", "ext4", "", true},
            {"/mnt/bind", "/dev/sda2", "ext4", "", true},
            {"/media/al/UNTITLED/", "/dev/sdc1", "vfat", "", true},
        });
        QCOMPARE(MountedVolumes::list(),
                 (QList<Volume>{{"Photo Archive", "/media/al/Photos"}, {"UNTITLED", "/media/al/UNTITLED"}}));
        const QList<ScanPreset> presets = ScanPreset::mountedVolumes();
        QCOMPARE(presets.size(), 2);
        QCOMPARE(presets[0].label, QStringLiteral("Photo Archive"));
        QCOMPARE(presets[0].path, QStringLiteral("/media/al/Photos"));
        QCOMPARE(presets[0].symbol, QStringLiteral("externaldrive"));
        QVERIFY(!presets[0].isFixedPlace);
        QVERIFY(presets[0].id != presets[1].id && !presets[0].id.isNull());
        QCOMPARE(presets[1].label, QStringLiteral("UNTITLED"));

        MountedVolumes::setMountsForTesting(QList<Mount>{});
        QVERIFY(ScanPreset::mountedVolumes().isEmpty());
    }

    // A walk of the whole disk passes by kernel and memory file systems, not disks.
    void pseudoFileSystems()
    {
        const auto check = [](const char* path) {
            const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                return std::optional<bool>();
            const bool pseudo = MountedVolumes::isPseudoFileSystem(fd);
            ::close(fd);
            return std::optional<bool>(pseudo);
        };
#ifdef Q_OS_LINUX
        QCOMPARE(check("/proc"), std::optional<bool>(true));
        if (QFileInfo::exists("/sys/kernel"))
            QCOMPARE(check("/sys"), std::optional<bool>(true));
#endif
        // The build folder lies on a disk.
        QCOMPARE(check(QCoreApplication::applicationDirPath().toLocal8Bit().constData()), std::optional<bool>(false));
    }

    // The real system's list never offers the start-up disk or a pseudo file system.
    void systemListIsClean()
    {
        for (const Volume& v : MountedVolumes::list()) {
            QVERIFY2(v.path != QLatin1String("/"), qPrintable(v.path));
            QVERIFY2(!v.path.startsWith(QLatin1String("/proc")) && !v.path.startsWith(QLatin1String("/sys"))
                         && !v.path.startsWith(QLatin1String("/dev")),
                     qPrintable(v.path));
            QVERIFY(!v.name.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(tst_ScanPreset)
#include "tst_ScanPreset.moc"
