#include "TestHome.h"
#include "platform/ByteCountFormatter.h"
#include "platform/DateFormatter.h"
#include "platform/SingleInstance.h"
#include "platform/UserDefaults.h"
#include "services/AppLanguage.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>

namespace {

// A start of this program as the real one starts: the language installed from the desktop's
// environment, then a size, zero and a date formatted, one per line.
int printFormats()
{
    AppLanguage::install();
    QTextStream out(stdout);
    out << formatBytes(50'890'000'000) << '\n'
        << formatBytes(0) << '\n'
        << formatMediumDateShortTime(QDateTime(QDate(2024, 1, 2), QTime(15, 4))) << Qt::endl;
    return 0;
}

} // namespace

class tst_AppLanguage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { AppLanguage::setRelaunchActionsForTesting({}, {}); }

    // What the picker offers for a program's localisations.
    void available_data()
    {
        QTest::addColumn<QStringList>("localizations");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("Base and en only") << QStringList{"Base", "en"} << QStringList{"en"};
        QTest::newRow("no en: en first, then ascending") << QStringList{"fr", "de"} << QStringList{"en", "de", "fr"};
        QTest::newRow("en stays first before ar and de")
            << QStringList{"Base", "fr", "de", "ar", "en"} << QStringList{"en", "ar", "de", "fr"};
        QTest::newRow("code-point order, not collation")
            << QStringList{"pt-PT", "pt-BR", "Zh", "en"} << QStringList{"en", "Zh", "pt-BR", "pt-PT"};
        QTest::newRow("nothing at all") << QStringList{} << QStringList{"en"};
    }
    void available()
    {
        QFETCH(QStringList, localizations);
        QFETCH(QStringList, offered);
        QCOMPARE(AppLanguage::available(localizations), offered);
    }

    // The code in force, from what the program's defaults hold and the system's languages.
    void current_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: the key is missing
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing: the system's first") << QVariant() << QStringList{"de-DE", "en"} << "de-DE";
        QTest::newRow("missing everywhere") << QVariant() << QStringList{} << "";
        QTest::newRow("empty array") << QVariant(QVariantList{}) << QStringList{"de-DE"} << "";
        QTest::newRow("an element that is not a string")
            << QVariant(QVariantList{QVariant(1), QVariant("de")}) << QStringList{"fr"} << "";
        QTest::newRow("not an array") << QVariant("de") << QStringList{"fr"} << "";
        QTest::newRow("a choice") << QVariant(QVariantList{QVariant("fr"), QVariant("de")}) << QStringList{"de"}
                                  << "fr";
    }
    void current()
    {
        QFETCH(QVariant, stored);
        QFETCH(QStringList, system);
        QFETCH(QString, expected);
        TestHome home;
        if (stored.isValid())
            home.defaults().setObject(AppLanguage::key(), stored);
        QCOMPARE(AppLanguage::current(home.defaults(), system), expected);
    }

    // Storing a choice: the same code writes nothing, another replaces it, "" removes it.
    void set()
    {
        TestHome home;
        UserDefaults& d = home.defaults();
        const QStringList system{"de-DE", "en"};

        QVERIFY(!AppLanguage::set(d, system, "de-DE")); // what is in force already
        QVERIFY(!d.contains(AppLanguage::key()));

        QVERIFY(AppLanguage::set(d, system, "fr"));
        QCOMPARE(d.stringArray(AppLanguage::key()), std::optional<QStringList>(QStringList{"fr"}));
        QCOMPARE(AppLanguage::current(d, system), "fr");
        QVERIFY(!AppLanguage::set(d, system, "fr"));

        QVERIFY(AppLanguage::set(d, system, ""));
        QVERIFY(!d.contains(AppLanguage::key()));
        QCOMPARE(AppLanguage::current(d, system), "de-DE");
        // With no choice stored, "" still differs from the system's first language.
        QVERIFY(AppLanguage::set(d, system, ""));
        QVERIFY(!d.contains(AppLanguage::key()));
        // Without any language from the system, "" is what is in force.
        QVERIFY(!AppLanguage::set(d, {}, ""));
    }

    // The choice survives a restart of the real defaults store and picks the translation.
    void restartRoundTrip()
    {
        TestHome home;
        QVERIFY(AppLanguage::set(home.defaults(), {"en-US"}, "de"));
        home.restartDefaults();
        QVERIFY(QFile::exists(home.defaultsPath()));
        QCOMPARE(AppLanguage::current(home.defaults(), {"en-US"}), "de");
        QCOMPARE(AppLanguage::preferred(home.defaults(), {"en-US"}), QStringList{"de"});
        QCOMPARE(AppLanguage::resolve(AppLanguage::preferred(home.defaults(), {"en-US"}), {"de"}), "de");
    }

    // Sizes follow the language in force: its words and its decimal separator; English again
    // after switching back.
    void sizesFollowTheLanguage()
    {
        TestHome home;
        home.defaults().setStringArray(AppLanguage::key(), {"de"});
        QCOMPARE(AppLanguage::install(home.defaults(), {"en-US"}), "de");
        const QStringList german = {formatBytes(0),
                                    formatBytes(1),
                                    formatBytes(999),
                                    formatBytes(1'500'000),
                                    formatBytes(-1'234'567'890),
                                    formatBytesMegabytesUp(500'000)};
        home.defaults().remove(AppLanguage::key());
        QCOMPARE(AppLanguage::install(home.defaults(), {"en-US"}), "en");
        QCOMPARE(german, (QStringList{"Null KB", "1 Byte", "999 Byte", "1,5 MB", "-1,23 GB", "0,5 MB"}));
        QCOMPARE(formatBytes(1'500'000), "1.5 MB");
        QCOMPARE(formatBytes(0), "Zero KB");
    }

    // Numbers, sizes and dates are formatted in the language the texts are shown in, also when
    // the desktop's message language ($LANGUAGE) differs from its formats (LANG=C).
    void formatsFollowTheLanguageOfTheTexts_data()
    {
        QTest::addColumn<QString>("language"); // $LANGUAGE, empty: unset
        QTest::addColumn<QString>("lang"); // $LANG
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("German texts, C formats")
            << "de"
            << "C.UTF-8" << QStringList{"50,89 GB", "Null KB", "2. Jan. 2024 15:04"};
        QTest::newRow("German texts, English formats")
            << "de"
            << "en_US.UTF-8" << QStringList{"50,89 GB", "Null KB", "2. Jan. 2024 15:04"};
        QTest::newRow("German desktop") << ""
                                        << "de_DE.UTF-8" << QStringList{"50,89 GB", "Null KB", "2. Jan. 2024 15:04"};
        QTest::newRow("English texts, German formats")
            << "en"
            << "de_DE.UTF-8" << QStringList{"50.89 GB", "Zero KB", "Jan 2, 2024 3:04 PM"};
        QTest::newRow("no translation for French: English") << "fr"
                                                            << "C.UTF-8" << QStringList{"50.89 GB", "Zero KB"};
    }
    void formatsFollowTheLanguageOfTheTexts()
    {
        QFETCH(QString, language);
        QFETCH(QString, lang);
        QFETCH(QStringList, printed);
        TestHome home; // no stored choice: the desktop's languages decide
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LC_TIME", "LANG"})
            env.remove(QString::fromLatin1(name));
        if (!language.isEmpty())
            env.insert("LANGUAGE", language);
        env.insert("LANG", lang);
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--print-formats")});
        QVERIFY(child.waitForFinished(30'000));
        QCOMPARE(child.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.mid(0, printed.size()), printed);
    }

    // Each language named in itself.
    void displayName_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("German") << "de"
                                << "Deutsch";
        QTest::newRow("English, not a regional name") << "en"
                                                      << "English";
        QTest::newRow("French, capitalised") << "fr"
                                             << "Français";
        QTest::newRow("Portuguese of a region: the language") << "pt-BR"
                                                              << "Português";
        QTest::newRow("Simplified Chinese") << "zh-Hans" << QStringLiteral("简体中文");
        QTest::newRow("unknown code") << "xx"
                                      << "xx";
        QTest::newRow("empty") << ""
                               << "";
    }
    void displayName()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QCOMPARE(AppLanguage::displayName(code), name);
    }

    // The language shown for the preferences: the first one the program has, by its language.
    void resolve_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QStringList>("localizations");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exact") << QStringList{"de"} << QStringList{"de"} << "de";
        QTest::newRow("by language") << QStringList{"de-AT", "en"} << QStringList{"de"} << "de";
        QTest::newRow("underscore form") << QStringList{"de_DE"} << QStringList{"de"} << "de";
        QTest::newRow("first that is offered") << QStringList{"fr", "de"} << QStringList{"de"} << "de";
        QTest::newRow("English before a later one") << QStringList{"fr", "en-GB", "de"} << QStringList{"de"} << "en";
        QTest::newRow("script kept") << QStringList{"zh-Hans-CN"} << QStringList{"zh-Hans", "zh-Hant"} << "zh-Hans";
        QTest::newRow("none offered") << QStringList{"fr", "it"} << QStringList{"de"} << "en";
        QTest::newRow("no preferences") << QStringList{} << QStringList{"de"} << "en";
    }
    void resolve()
    {
        QFETCH(QStringList, preferred);
        QFETCH(QStringList, localizations);
        QFETCH(QString, expected);
        QCOMPARE(AppLanguage::resolve(preferred, localizations), expected);
    }

    // A stored value that is not a usable choice falls back to the system's languages.
    void preferredFallsBackToTheSystem()
    {
        TestHome home;
        home.defaults().setObject(AppLanguage::key(), QVariant(QVariantList{}));
        QCOMPARE(AppLanguage::preferred(home.defaults(), {"fr", "de"}), (QStringList{"fr", "de"}));
        home.defaults().setStringArray(AppLanguage::key(), {"de"});
        QCOMPARE(AppLanguage::preferred(home.defaults(), {"fr"}), QStringList{"de"});
    }

    // The relaunch gives up the instance's socket before it starts the successor (which would
    // otherwise hand over to this one), and quits on a later turn of the event loop, also when
    // the start failed. The successor runs once this instance is gone.
    void relaunchQuitsEvenWhenTheStartFails()
    {
        QTemporaryDir folder;
        auto instance = std::make_unique<SingleInstance>(QStringLiteral("app.dustlet.relaunch-test"), folder.path());
        QCOMPARE(instance->acquire(), SingleInstance::Outcome::primary);
        QStringList steps;
        AppLanguage::setRelaunchActionsForTesting(
            [&] {
            steps << (instance->isListening() ? "launch while holding the name" : "launch");
            return false;
            },
            [&] { steps << "quit"; });
        AppLanguage::relaunch();
        QCOMPARE(steps, QStringList{"launch"});
        QVERIFY(!SingleInstance::current());
        QTRY_COMPARE(steps, (QStringList{"launch", "quit"}));
        instance.reset(); // the process ends
        SingleInstance successor(QStringLiteral("app.dustlet.relaunch-test"), folder.path());
        QCOMPARE(successor.acquire(), SingleInstance::Outcome::primary);
    }

    // The system's languages never include the POSIX locale's name.
    void systemLanguagesLeaveOutPosix()
    {
        const QStringList langs = AppLanguage::systemLanguages();
        QVERIFY(!langs.contains("C"));
        QVERIFY(!langs.contains("POSIX"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--print-formats") == 0)
        return printFormats();
    tst_AppLanguage test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_AppLanguage.moc"
