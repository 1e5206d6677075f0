#include "TestHome.h"
#include "platform/PlistReader.h"
#include "platform/StartupEntries.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTest>

#include <plist/plist.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray xmlPlist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

QByteArray binaryDict(const QList<std::pair<const char*, plist_t>>& entries)
{
    plist_t dict = plist_new_dict();
    for (const auto& [key, value] : entries)
        plist_dict_set_item(dict, key, value);
    char* bin = nullptr;
    uint32_t len = 0;
    plist_to_bin(dict, &bin, &len);
    plist_free(dict);
    QByteArray out(bin, int(len));
    free(bin);
    return out;
}

// A binary property list of `levels` nested arrays, each holding `refs` references to the next
// (the innermost empty); with `loop` the last one refers back to the first.
QByteArray binaryChain(int levels, int refs, bool loop = false)
{
    const int refSize = 4;
    const int offsetSize = 4;
    const auto put = [](QByteArray& out, quint64 v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            out += char((v >> (8 * i)) & 0xff);
    };
    QByteArray out("bplist00");
    QList<quint64> offsets;
    for (int i = 0; i < levels; ++i) {
        offsets << quint64(out.size());
        const bool last = i == levels - 1;
        if (last && !loop) {
            out += char(0xA0);
            continue;
        }
        out += char(0xA0 | refs);
        for (int r = 0; r < refs; ++r)
            put(out, last ? 0 : quint64(i + 1), refSize);
    }
    const quint64 table = quint64(out.size());
    for (quint64 o : offsets)
        put(out, o, offsetSize);
    out += QByteArray(6, '\0');
    out += char(offsetSize);
    out += char(refSize);
    put(out, quint64(levels), 8);
    put(out, 0, 8);
    put(out, table, 8);
    return out;
}

} // namespace

class tst_PlistReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsXmlAndBinaryWithTheirTypes()
    {
        TestHome home;
        home.writeText("a.plist",
                       xmlPlist("<dict><key>Label</key><string>com.example.a</string>"
                                "<key>Count</key><integer>-3</integer>"
                                "<key>On</key><true/>"
                                "<key>Args</key><array><string>x</string><real>1.5</real></array>"
                                "<key>When</key><date>2001-01-01T00:00:10Z</date></dict>"));
        const std::optional<QVariantMap> xml = PlistReader::readDictionary(home("a.plist"));
        QVERIFY(xml);
        QCOMPARE(xml->value("Label"), QVariant(QString("com.example.a")));
        QCOMPARE(xml->value("Count"), QVariant(qint64(-3)));
        QCOMPARE(xml->value("On"), QVariant(true));
        QCOMPARE(xml->value("Args").toList(), (QVariantList{QString("x"), 1.5}));
        QCOMPARE(xml->value("When").toDateTime(), QDateTime::fromSecsSinceEpoch(978307210, Qt::UTC));

        home.writeText(
            "b.plist",
            binaryDict({{"Label", plist_new_string("com.example.b")}, {"Program", plist_new_string("/usr/bin/b")}}));
        const std::optional<QVariantMap> bin = PlistReader::readDictionary(home("b.plist"));
        QVERIFY(bin);
        QCOMPARE(bin->value("Label").toString(), QString("com.example.b"));
        QCOMPARE(bin->value("Program").toString(), QString("/usr/bin/b"));
    }

    // Files not under the program's control: nothing that is not a small regular file is read,
    // and reading never blocks.
    void refusesWhatIsNotASmallRegularFile()
    {
        TestHome home;
        home.mkdir("folder.plist");
        const QString fifo = home("fifo.plist");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        home.writeText("garbage.plist", "this is { not a plist");
        home.writeText("array.plist", xmlPlist("<array><string>x</string></array>"));
        home.writeText("empty.plist", "");
        home.writeText("big.plist",
                       xmlPlist("<dict><key>Label</key><string>" + QByteArray(4096, 'x') + "</string></dict>"));
        home.symlink("link.plist", "/dev/zero");

        QElapsedTimer timer;
        timer.start();
        QVERIFY(!PlistReader::readRegularFile(home("folder.plist")));
        QVERIFY(!PlistReader::readRegularFile(fifo)); // no writer: a blocking open would hang here
        QVERIFY(!PlistReader::readRegularFile(home("link.plist")));
        QVERIFY(!PlistReader::readRegularFile(home("missing.plist")));
        QVERIFY(timer.elapsed() < 5000);

        QVERIFY(!PlistReader::readDictionary(home("garbage.plist")));
        QVERIFY(!PlistReader::readDictionary(home("array.plist"))); // not a dictionary at the top
        QVERIFY(!PlistReader::readDictionary(home("empty.plist")));
        QVERIFY(PlistReader::readDictionary(home("big.plist")));
        QVERIFY(!PlistReader::readDictionary(home("big.plist"), 1024)); // over the cap
    }

    // Nesting is measured on the raw bytes before the property-list library sees them (it
    // recurses once per level in its parser and its free): a file nested too deep is refused as a
    // whole, one within bounds is read, and a binary file whose objects are referred to over and
    // over (which the library builds anew each time) or loop neither hangs nor crashes.
    void nestingIsMeasuredBeforeParsing_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("read");
        const auto xmlNested = [](int levels, const QByteArray& middle = "<string>x</string>") {
            return xmlPlist(QByteArray("<array>").repeated(levels) + middle + QByteArray("</array>").repeated(levels));
        };
        QTest::newRow("xml, 100 levels") << xmlNested(100) << true;
        QTest::newRow("xml, 200,000 levels (3 MB)") << xmlNested(200'000) << false;
        QTest::newRow("xml, closing tags in a comment do not hide levels")
            << xmlNested(100,
                         "<!-- " + QByteArray("</array>").repeated(100) + " -->" + QByteArray("<array>").repeated(100)
                             + QByteArray("</array>").repeated(100))
            << false;
        QTest::newRow("xml, a quoted \"/>\" still opens")
            << xmlPlist(QByteArray("<array a=\"/>\">").repeated(1000)) << false;
        QTest::newRow("binary, 100 levels") << binaryChain(100, 1) << true;
        QTest::newRow("binary, 100,000 levels (0.9 MB)") << binaryChain(100'000, 1) << false;
        QTest::newRow("binary, 16 levels each referred to twice") << binaryChain(16, 2) << true;
        QTest::newRow("binary, 60 levels each referred to twice (2^60 nodes)") << binaryChain(60, 2) << false;
        QTest::newRow("binary, an array holding itself") << binaryChain(1, 1, /*loop=*/true) << false;
        QTest::newRow("binary header, junk after it") << QByteArray("bplist00") + QByteArray(64, '\xff') << false;
    }
    void nestingIsMeasuredBeforeParsing()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, read);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(PlistReader::parse(data).has_value(), read);
        QVERIFY(timer.elapsed() < 5000);
    }

    // Desktop entries: what the autostart folder holds off macOS.
    void readsDesktopEntries_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("label"); // "<none>" for no value
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nName=Chat\nExec=/usr/bin/chat --min %U\n") << "Chat"
                               << "/usr/bin/chat";
        QTest::newRow("quoted program") << QByteArray("[Desktop Entry]\nName=X\nExec=\"/opt/My App/run\" -q\n") << "X"
                                        << "/opt/My App/run";
        QTest::newRow("escaped quote") << QByteArray("[Desktop Entry]\nExec=\"/opt/a\\\\\"b\" x\n") << "<none>"
                                       << "/opt/a\"b";
        QTest::newRow("localised name is another key")
            << QByteArray("[Desktop Entry]\nName[de]=Plaudern\nName=Chat\nExec=chat\n") << "Chat"
            << "chat";
        QTest::newRow("other group first")
            << QByteArray("[Desktop Action new]\nName=New\nExec=other\n[Desktop Entry]\nName=Main\nExec=main\n")
            << "Main"
            << "main";
        QTest::newRow("spaces around =") << QByteArray("[Desktop Entry]\nName = Spaced \nExec =  /bin/x\n") << "Spaced"
                                         << "/bin/x";
        QTest::newRow("empty Exec") << QByteArray("[Desktop Entry]\nName=Nothing\nExec=\n") << "Nothing"
                                    << "<none>";
        QTest::newRow("no group") << QByteArray("Name=Loose\nExec=/bin/loose\n") << "<none>"
                                  << "<none>";
        QTest::newRow("escapes in name") << QByteArray("[Desktop Entry]\nName=a\\sb\nExec=x\n") << "a b"
                                         << "x";
        QTest::newRow("CRLF") << QByteArray("[Desktop Entry]\r\nName=Win\r\nExec=/bin/w\r\n") << "Win"
                              << "/bin/w";
    }
    void readsDesktopEntries()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, label);
        QFETCH(QString, program);
        TestHome home;
        home.writeText("e.desktop", text);
        const StartupEntries::EntryInfo info = StartupEntries::readDesktopEntry(home("e.desktop"));
        QCOMPARE(info.label.value_or("<none>"), label);
        QCOMPARE(info.program.value_or("<none>"), program);
    }
};

QTEST_GUILESS_MAIN(tst_PlistReader)
#include "tst_PlistReader.moc"
