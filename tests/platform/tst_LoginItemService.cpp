#include "TestHome.h"
#include "platform/Bundle.h"
#include "platform/LoginItemService.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

// The "Exec" value read back as a desktop reads it: first the key file's escapes, then the
// quoting of one argument. None when it is not one quoted argument.
std::optional<QString> readExec(const QString& value)
{
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            unescaped += value[i];
            continue;
        }
        const QChar next = value[++i];
        unescaped += next == 'n' ? QChar('\n')
            : next == 't'        ? QChar('\t')
            : next == 'r'        ? QChar('\r')
            : next == 's'        ? QChar(' ')
                                 : next;
    }
    if (unescaped.size() < 2 || !unescaped.startsWith('"') || !unescaped.endsWith('"'))
        return std::nullopt;
    QString arg;
    const QString inner = unescaped.mid(1, unescaped.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == '\\') {
            if (i + 1 == inner.size() || !QString("\"`$\\").contains(inner[i + 1]))
                return std::nullopt;
            arg += inner[++i];
        } else if (c == '%') {
            if (i + 1 == inner.size() || inner[i + 1] != '%')
                return std::nullopt; // a field code
            arg += '%';
            ++i;
        } else if (c == '"' || c == '`' || c == '$') {
            return std::nullopt; // must have been escaped
        } else {
            arg += c;
        }
    }
    return arg;
}

QString execLine(const QByteArray& contents)
{
    for (const QByteArray& line : contents.split('\n'))
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5));
    return {};
}

} // namespace

class tst_LoginItemService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The program's path comes back unchanged from the entry however odd it is.
    void execQuotesThePath_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "/usr/bin/dustlet"
                               << "\"/usr/bin/dustlet\"";
        QTest::newRow("spaces") << "/opt/My Apps/dust let"
                                << "\"/opt/My Apps/dust let\"";
        QTest::newRow("percent is no field code") << "/home/u/100%/dustlet %f"
                                                  << "\"/home/u/100%%/dustlet %%f\"";
        QTest::newRow("quote") << "/a\"b/dustlet"
                               << "\"/a\\\\\"b/dustlet\"";
        QTest::newRow("backslash") << "/a\\b/dustlet"
                                   << "\"/a\\\\\\\\b/dustlet\"";
        QTest::newRow("dollar and backtick") << "/x/$HOME/`id`"
                                             << "\"/x/\\\\$HOME/\\\\`id\\\\`\"";
        QTest::newRow("line break") << "/x/a\nb"
                                    << "\"/x/a\\nb\"";
        QTest::newRow("non-ASCII") << QStringLiteral("/home/jürgen/Programme/dustlet")
                                   << QStringLiteral("\"/home/jürgen/Programme/dustlet\"");
    }
    void execQuotesThePath()
    {
        QFETCH(QString, program);
        QFETCH(QString, written);
        const QString value = AutostartLoginItem::execValue(program);
        QCOMPARE(value, written);
        QCOMPARE(readExec(value), std::optional<QString>(program));
    }

    // Enable writes the entry, disable removes it; the status follows the file.
    void enableAndDisable()
    {
        TestHome home;
        const QString program = home("My Programs/100% dustlet");
        AutostartLoginItem item(AutostartLoginItem::defaultFolder(), "app.dustlet.Test", program);
        QCOMPARE(item.path(), home(".config/autostart/app.dustlet.Test.desktop"));
        QVERIFY(!item.isEnabled());

        QCOMPARE(item.setEnabled(true), std::optional<QString>());
        QVERIFY(item.isEnabled());
        QFile f(item.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray contents = f.readAll();
        QVERIFY(contents.startsWith("[Desktop Entry]\n"));
        QVERIFY(contents.contains("\nType=Application\n"));
        QCOMPARE(readExec(execLine(contents)), std::optional<QString>(program));
        // No temporary file is left beside it.
        QCOMPARE(QDir(home(".config/autostart")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"app.dustlet.Test.desktop"});

        // Enabling again rewrites the same entry.
        QCOMPARE(item.setEnabled(true), std::optional<QString>());
        QVERIFY(item.isEnabled());

        QCOMPARE(item.setEnabled(false), std::optional<QString>());
        QVERIFY(!QFileInfo::exists(item.path()));
        QVERIFY(!item.isEnabled());
        // Nothing to remove is no failure.
        QCOMPARE(item.setEnabled(false), std::optional<QString>());
    }

    // An entry the desktop switched off does not count as enabled; enabling rewrites it.
    void switchedOffByTheDesktop_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("ours") << QByteArray("[Desktop Entry]\nType=Application\nExec=x\n") << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=x\nHidden=true\n") << false;
        QTest::newRow("GNOME switch off")
            << QByteArray("[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled = false\n") << false;
        QTest::newRow("hidden in another group only")
            << QByteArray("[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n") << true;
    }
    void switchedOffByTheDesktop()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        TestHome home;
        AutostartLoginItem item(AutostartLoginItem::defaultFolder(), "app.dustlet.Test", "/usr/bin/dustlet");
        home.writeText(".config/autostart/app.dustlet.Test.desktop", contents);
        QCOMPARE(item.isEnabled(), enabled);
        QCOMPARE(item.setEnabled(true), std::optional<QString>());
        QVERIFY(item.isEnabled());
    }

    // A folder that cannot be written: the failure is described, nothing counts as enabled.
    void unwritableFolderGivesTheError()
    {
        TestHome home;
        // A file where the folder should be: no folder can be made there, also for root.
        home.writeText(".config/autostart", "not a folder");
        AutostartLoginItem item(AutostartLoginItem::defaultFolder(), "app.dustlet.Test", "/usr/bin/dustlet");
        const std::optional<QString> error = item.setEnabled(true);
        QVERIFY(error.has_value());
        QVERIFY2(error->contains(item.path()), qPrintable(*error));
        QVERIFY(!item.isEnabled());
    }

    // The platform's own item: this program under its identifier in the config home.
    void nativeUsesTheConfigHome()
    {
        TestHome home;
        std::unique_ptr<LoginItemService> native = LoginItemService::native();
        QCOMPARE(native->setEnabled(true), std::optional<QString>());
        const QString path = home(".config/autostart/" + Bundle::identifier() + ".desktop");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(readExec(execLine(f.readAll())), std::optional<QString>(QCoreApplication::applicationFilePath()));
        QVERIFY(native->isEnabled());
        QCOMPARE(native->setEnabled(false), std::optional<QString>());
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(tst_LoginItemService)
#include "tst_LoginItemService.moc"
