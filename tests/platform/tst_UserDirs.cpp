#include "platform/UserDirs.h"

#include "TestHome.h"

#include <QTest>

using Dir = UserDirs::Dir;
Q_DECLARE_METATYPE(UserDirs::Dir)

class tst_UserDirs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void paths_data()
    {
        QTest::addColumn<QByteArray>("file"); // user-dirs.dirs; "-" for no file
        QTest::addColumn<Dir>("dir");
        QTest::addColumn<QString>("expected"); // below home; "-" for none; "/…" absolute

        QTest::newRow("no file: English default") << QByteArray("-") << Dir::Pictures << "Pictures";
        QTest::newRow("no file: downloads") << QByteArray("-") << Dir::Download << "Downloads";
        QTest::newRow("localised name") << QByteArray(
            "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n")
                                        << Dir::Pictures << "Bilder";
        QTest::newRow("entry missing: default")
            << QByteArray("XDG_MUSIC_DIR=\"$HOME/Musik\"\n") << Dir::Videos << "Videos";
        QTest::newRow("switched off (home itself)")
            << QByteArray("XDG_DESKTOP_DIR=\"$HOME/\"\n") << Dir::Desktop << "-";
        QTest::newRow("absolute path") << QByteArray("XDG_DOCUMENTS_DIR=\"/srv/docs\"\n") << Dir::Documents
                                       << "/srv/docs";
        QTest::newRow("escaped quote and dot-dot cleaned")
            << QByteArray("XDG_MUSIC_DIR=\"$HOME/a\\\"b/../M\"\n") << Dir::Music << "M";
        QTest::newRow("unquoted value ignored") << QByteArray("XDG_MUSIC_DIR=$HOME/Musik\n") << Dir::Music << "Music";
        QTest::newRow("later line wins") << QByteArray("XDG_MUSIC_DIR=\"$HOME/One\"\nXDG_MUSIC_DIR=\"$HOME/Two\"\n")
                                         << Dir::Music << "Two";
    }

    void paths()
    {
        QFETCH(QByteArray, file);
        QFETCH(Dir, dir);
        QFETCH(QString, expected);
        TestHome home;
        QVERIFY(home.isValid());
        if (file != "-")
            home.writeText(QStringLiteral(".config/user-dirs.dirs"), file);
        const std::optional<QString> got = UserDirs::path(dir);
        if (expected == QLatin1String("-")) {
            QVERIFY(!got);
            return;
        }
        QVERIFY(got);
        QCOMPARE(*got, expected.startsWith(QLatin1Char('/')) ? expected : home(expected));
    }

    // The base folders: an absolute value is taken (cleaned), a relative or empty one is ignored
    // for the default below home.
    void baseFolders_data()
    {
        QTest::addColumn<QByteArray>("value"); // "-" unsets the variables
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("config");
        QTest::newRow("unset") << QByteArray("-") << "~/.cache"
                               << "~/.local/share"
                               << "~/.config";
        QTest::newRow("empty") << QByteArray("") << "~/.cache"
                               << "~/.local/share"
                               << "~/.config";
        QTest::newRow("relative") << QByteArray("rel/x") << "~/.cache"
                                  << "~/.local/share"
                                  << "~/.config";
        QTest::newRow("absolute, cleaned") << QByteArray("/srv//xdg/./x/") << "/srv/xdg/x"
                                           << "/srv/xdg/x"
                                           << "/srv/xdg/x";
    }
    void baseFolders()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, cache);
        QFETCH(QString, data);
        QFETCH(QString, config);
        TestHome home;
        for (const char* name : {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            if (value == "-")
                qunsetenv(name);
            else
                qputenv(name, value);
        }
        const auto expect = [&](const QString& e) { return e.startsWith('~') ? home.path() + e.mid(1) : e; };
        QCOMPARE(UserDirs::cacheHome(), expect(cache));
        QCOMPARE(UserDirs::dataHome(), expect(data));
        QCOMPARE(UserDirs::configHome(), expect(config));
    }
};

QTEST_GUILESS_MAIN(tst_UserDirs)
#include "tst_UserDirs.moc"
