#include "platform/StartupEntries.h"

#include "platform/AutostartEntry.h"
#include "platform/Paths.h"
#include "platform/PlistReader.h"

#include <QStandardPaths>
#include <QStringList>
#include <QVariantList>

namespace {

// A desktop entry's string escapes: \s, \n, \t, \r and \\.
QString unescapeValue(const QString& raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != QLatin1Char('\\') || i + 1 == raw.size()) {
            out.append(c);
            continue;
        }
        const QChar next = raw[++i];
        switch (next.unicode()) {
        case 's': out.append(QLatin1Char(' ')); break;
        case 'n': out.append(QLatin1Char('\n')); break;
        case 't': out.append(QLatin1Char('\t')); break;
        case 'r': out.append(QLatin1Char('\r')); break;
        case '\\': out.append(QLatin1Char('\\')); break;
        default: out.append(c); out.append(next);
        }
    }
    return out;
}

// The first argument of an Exec line: a word up to the first blank, or a double-quoted
// argument in which \", \`, \$ and \\ stand for the character.
std::optional<QString> firstWord(const QString& exec)
{
    qsizetype i = 0;
    while (i < exec.size() && (exec[i] == QLatin1Char(' ') || exec[i] == QLatin1Char('\t')))
        ++i;
    QString word;
    if (i < exec.size() && exec[i] == QLatin1Char('"')) {
        for (++i; i < exec.size() && exec[i] != QLatin1Char('"'); ++i) {
            if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size())
                ++i;
            word.append(exec[i]);
        }
    } else {
        for (; i < exec.size() && exec[i] != QLatin1Char(' ') && exec[i] != QLatin1Char('\t'); ++i)
            word.append(exec[i]);
    }
    if (word.isEmpty())
        return std::nullopt;
    return word;
}

} // namespace

namespace StartupEntries {

EntryInfo Format::read(const QString& path) const
{
    return kind == Kind::LaunchAgents ? readLaunchAgent(path) : readDesktopEntry(path);
}

std::optional<QUrl> Format::loginItemsPane() const
{
    if (kind == Kind::LaunchAgents)
        return QUrl(QStringLiteral("x-apple.systempreferences:com.apple.LoginItems-Settings.extension"));
    // Desktops keep no common settings pane for the entries of all users.
    return std::nullopt;
}

const char* Format::loginItemsNote() const
{
    if (kind == Kind::LaunchAgents)
        return QT_TRANSLATE_NOOP("StartupItemsView", "App login items are managed by macOS.");
    return QT_TRANSLATE_NOOP("StartupItemsView",
                             "Entries installed for all users are switched off for your account only.");
}

Format launchAgents()
{
    return {Format::Kind::LaunchAgents,
            Paths::home() + QStringLiteral("/Library/LaunchAgents"),
            QStringLiteral(".plist"),
            {}};
}

Format autostart()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG folder is ignored, as the desktop's own tools do.
    if (config.isEmpty() || !config.startsWith(QLatin1Char('/')))
        config = Paths::home() + QStringLiteral("/.config");
    // The config folder is the user's setting and may lie behind a link (a dotfiles folder, say);
    // below it, the entries are moved without following one.
    return {Format::Kind::Autostart, Paths::resolveSymlinks(Paths::clean(config)) + QStringLiteral("/autostart"),
            QStringLiteral(".desktop"), AutostartEntry::systemFolders()};
}

Format native()
{
#ifdef Q_OS_MACOS
    return launchAgents();
#else
    return autostart();
#endif
}

EntryInfo readLaunchAgent(const QString& path)
{
    EntryInfo info;
    const std::optional<QVariantMap> dict = PlistReader::readDictionary(path);
    if (!dict)
        return info;
    const QVariant label = dict->value(QStringLiteral("Label"));
    if (label.typeId() == QMetaType::QString)
        info.label = label.toString();
    const QVariant program = dict->value(QStringLiteral("Program"));
    if (program.typeId() == QMetaType::QString) {
        info.program = program.toString();
        return info;
    }
    const QVariant arguments = dict->value(QStringLiteral("ProgramArguments"));
    if (arguments.typeId() != QMetaType::QVariantList)
        return info;
    const QVariantList list = arguments.toList();
    if (list.isEmpty())
        return info;
    for (const QVariant& v : list) {
        if (v.typeId() != QMetaType::QString)
            return info; // only an array of strings names a program
    }
    info.program = list.first().toString();
    return info;
}

EntryInfo readDesktopEntry(const QString& path)
{
    EntryInfo info;
    const std::optional<QByteArray> bytes = PlistReader::readRegularFile(path);
    if (!bytes)
        return info;
    bool inEntry = false;
    std::optional<QString> exec;
    for (const QByteArray& rawLine : bytes->split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unescapeValue(line.mid(eq + 1).trimmed());
        // The first of a repeated key counts; localised forms ("Name[de]") are other keys.
        if (key == QLatin1String("Name") && !info.label)
            info.label = value;
        else if (key == QLatin1String("Exec") && !exec)
            exec = value;
    }
    if (exec)
        info.program = firstWord(*exec);
    info.switchedOff = AutostartEntry::isSwitchedOff(*bytes);
    return info;
}

} // namespace StartupEntries
