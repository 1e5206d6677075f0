#include "services/AppLanguage.h"

#include "platform/DesktopLocale.h"
#include "platform/NewInstance.h"
#include "platform/SingleInstance.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaObject>
#include <QTranslator>

#include <algorithm>
#include <memory>

namespace AppLanguage {

namespace {

// The embedded translations: :/i18n/dustlet_<code>.qm, with "_" for "-" in the code.
const QString kResourceFolder = QStringLiteral(":/i18n");
const QString kPrefix = QStringLiteral("dustlet_");
const QString kSuffix = QStringLiteral(".qm");

struct RelaunchActions {
    std::function<bool()> launch;
    std::function<void()> quit;
};

RelaunchActions& relaunchActions()
{
    static RelaunchActions actions;
    return actions;
}

// The translators in use; replaced by the next install.
std::unique_ptr<QTranslator>& ownTranslator()
{
    static std::unique_ptr<QTranslator> t;
    return t;
}

std::unique_ptr<QTranslator>& toolkitTranslator()
{
    static std::unique_ptr<QTranslator> t;
    return t;
}

void removeInstalled()
{
    for (std::unique_ptr<QTranslator>* t : {&ownTranslator(), &toolkitTranslator()}) {
        if (*t) {
            QCoreApplication::removeTranslator(t->get());
            t->reset();
        }
    }
}

// A locale's name for its language: the shorter of the names of the language's main locale and
// of its world-wide form, so that "en" reads "English" rather than a regional "American English".
QString languageName(const QLocale& locale)
{
    QStringList names;
    names << QLocale(locale.language(), locale.script(), QLocale::AnyTerritory).nativeLanguageName();
    const QLocale world(locale.language(), QLocale::World);
    if (world.language() == locale.language())
        names << world.nativeLanguageName();
    names.removeAll(QString());
    if (names.isEmpty())
        return {};
    return *std::min_element(names.cbegin(), names.cend(),
                             [](const QString& a, const QString& b) { return a.size() < b.size(); });
}

// Each word's first letter upper case and the others lower case, by the locale's rules.
QString capitalized(const QString& text, const QLocale& locale)
{
    QString out;
    bool atWordStart = true;
    for (qsizetype i = 0; i < text.size();) {
        // One character, with its low surrogate when it has one.
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        if (ch.at(0).isSpace()) {
            out += ch;
            atWordStart = true;
        } else {
            out += atWordStart ? locale.toUpper(ch) : locale.toLower(ch);
            atWordStart = false;
        }
        i += len;
    }
    return out;
}

bool isPosixLocaleName(const QString& name)
{
    return name == QLatin1String("C") || name == QLatin1String("POSIX") || name.startsWith(QLatin1String("C."));
}

// The code's broader forms, most specific first: zh-Hans-CN, zh-Hans, zh.
QStringList broaderForms(const QString& code)
{
    QStringList forms;
    QStringList parts =
        QString(code).replace(QLatin1Char('_'), QLatin1Char('-')).split(QLatin1Char('-'), Qt::SkipEmptyParts);
    while (!parts.isEmpty()) {
        forms << parts.join(QLatin1Char('-'));
        parts.removeLast();
    }
    return forms;
}

// The locale numbers, sizes and dates are written in: in the language of the texts. The desktop's
// own formats (with the user's settings) where they are in that language (the POSIX locale writes
// as English does); else the language's own, in the region of the preference that chose it
// (de-AT, en-GB).
QLocale formattingLocale(const QString& code, const QStringList& preferred)
{
    const QLocale language(code);
    const QLocale::Language desktop = desktopFormatsLocale().language();
    if ((desktop == QLocale::C ? QLocale::English : desktop) == language.language())
        return QLocale::system();
    for (const QString& wanted : preferred) {
        for (const QString& form : broaderForms(wanted))
            if (form.compare(code, Qt::CaseInsensitive) == 0)
                return QLocale(wanted);
    }
    return language;
}

} // namespace

QString key() { return QStringLiteral("AppleLanguages"); }

QStringList localizations()
{
    QStringList codes;
    const QStringList files = QDir(kResourceFolder).entryList({kPrefix + QLatin1Char('*') + kSuffix}, QDir::Files);
    for (const QString& file : files) {
        QString code = file.mid(kPrefix.size(), file.size() - kPrefix.size() - kSuffix.size());
        codes << code.replace(QLatin1Char('_'), QLatin1Char('-'));
    }
    return codes;
}

QStringList systemLanguages()
{
    QStringList languages;
    for (const QString& name : QLocale::system().uiLanguages())
        if (!isPosixLocaleName(name))
            languages << name;
    return languages;
}

QStringList available() { return available(localizations()); }

QStringList available(const QStringList& localizations)
{
    QStringList codes = localizations;
    codes.removeAll(QStringLiteral("Base"));
    const QString en = QStringLiteral("en");
    if (!codes.contains(en))
        codes.prepend(en);
    // "en" before every other code; the rest in plain code-point order.
    std::stable_sort(codes.begin(), codes.end(), [&en](const QString& a, const QString& b) {
        if (a == en || b == en)
            return a == en && b != en;
        return a < b;
    });
    return codes;
}

QString current() { return current(UserDefaults::standard(), systemLanguages()); }

QString current(const UserDefaults& defaults, const QStringList& systemLanguages)
{
    // The program's own value hides the system's, whatever it holds.
    if (!defaults.contains(key()))
        return systemLanguages.value(0);
    const std::optional<QStringList> stored = defaults.stringArray(key());
    if (!stored || stored->isEmpty())
        return {};
    return stored->first();
}

QString displayName(const QString& code)
{
    const QLocale locale(code);
    if (code.isEmpty() || locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return code;
    const QString name = languageName(locale);
    return name.isEmpty() ? code : capitalized(name, locale);
}

bool set(const QString& code) { return set(UserDefaults::standard(), systemLanguages(), code); }

bool set(UserDefaults& defaults, const QStringList& systemLanguages, const QString& code)
{
    if (code == current(defaults, systemLanguages))
        return false;
    if (code.isEmpty())
        defaults.remove(key());
    else
        defaults.setStringArray(key(), {code});
    return true;
}

void relaunch()
{
    if (SingleInstance* instance = SingleInstance::current())
        instance->release();
    const RelaunchActions& actions = relaunchActions();
    if (actions.launch)
        actions.launch();
    else
        startNewInstance();
    // Whatever the start's outcome, this instance ends, from the main thread's event loop.
    std::function<void()> quit = actions.quit ? actions.quit : [] { QCoreApplication::quit(); };
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(quit), Qt::QueuedConnection);
}

void setRelaunchActionsForTesting(std::function<bool()> launch, std::function<void()> quit)
{
    relaunchActions() = {std::move(launch), std::move(quit)};
}

QStringList preferred(const UserDefaults& defaults, const QStringList& systemLanguages)
{
    if (defaults.contains(key())) {
        const std::optional<QStringList> stored = defaults.stringArray(key());
        if (stored && !stored->isEmpty())
            return *stored;
    }
    return systemLanguages;
}

QString resolve(const QStringList& preferred, const QStringList& localizations)
{
    const QStringList offered = available(localizations);
    for (const QString& wanted : preferred) {
        for (const QString& form : broaderForms(wanted)) {
            for (const QString& code : offered)
                if (code.compare(form, Qt::CaseInsensitive) == 0)
                    return code;
        }
    }
    return QStringLiteral("en");
}

QString install() { return install(UserDefaults::standard(), systemLanguages()); }

QString install(const UserDefaults& defaults, const QStringList& systemLanguages)
{
    removeInstalled();
    const QStringList wanted = preferred(defaults, systemLanguages);
    const QString code = resolve(wanted, localizations());
    const QLocale language(code);
    QLocale::setDefault(formattingLocale(code, wanted));
    if (code == QLatin1String("en"))
        return code; // the source language: nothing to load

    auto own = std::make_unique<QTranslator>();
    QString file = code;
    file.replace(QLatin1Char('-'), QLatin1Char('_'));
    if (own->load(kPrefix + file + kSuffix, kResourceFolder)) {
        QCoreApplication::installTranslator(own.get());
        ownTranslator() = std::move(own);
    }
    // The toolkit's own texts (standard dialogs and buttons), where the system has them.
    auto toolkit = std::make_unique<QTranslator>();
    if (toolkit->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(toolkit.get());
        toolkitTranslator() = std::move(toolkit);
    }
    return code;
}

} // namespace AppLanguage
