#include "platform/AutostartEntry.h"

#include "platform/FolderEntry.h"
#include "platform/NoFollow.h"
#include "platform/PlistReader.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Entry files are small; anything larger is not one the desktop would read either.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

const QByteArray kGroup = "[Desktop Entry]";

// One line of an entry, as far as the switching keys go.
struct Line {
    QByteArray key; // the key of a "key=value" line (trimmed); empty for other lines
    QByteArray value; // its value (trimmed)
    bool inGroup = false; // the line lies in the "[Desktop Entry]" group (its header excluded)
};

QList<Line> parse(const QList<QByteArray>& lines)
{
    QList<Line> out;
    bool inGroup = false;
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        Line parsed;
        if (line.startsWith('[')) {
            inGroup = line == kGroup;
            out.append(parsed);
            continue;
        }
        parsed.inGroup = inGroup;
        const qsizetype eq = line.indexOf('=');
        if (!line.startsWith('#') && eq > 0) {
            parsed.key = line.left(eq).trimmed();
            parsed.value = line.mid(eq + 1).trimmed();
        }
        out.append(parsed);
    }
    return out;
}

bool switchesOff(const Line& line)
{
    return line.inGroup
        && ((line.key == "Hidden" && line.value == "true")
            || (line.key == "X-GNOME-Autostart-enabled" && line.value == "false"));
}

// A line that switching on takes out.
bool switchingLine(const Line& line)
{
    return line.inGroup && (line.key == "Hidden" || (line.key == "X-GNOME-Autostart-enabled" && line.value == "false"));
}

} // namespace

namespace AutostartEntry {

QStringList systemFolders()
{
    QStringList folders;
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (dir.startsWith(QLatin1Char('/')))
            folders << dir + QStringLiteral("/autostart");
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg/autostart");
    return folders;
}

bool isSwitchedOff(const QByteArray& text)
{
    const QList<Line> lines = parse(text.split('\n'));
    return std::any_of(lines.cbegin(), lines.cend(), switchesOff);
}

QByteArray switchedOff(const QByteArray& text)
{
    QList<QByteArray> raw = text.split('\n');
    const QList<Line> lines = parse(raw);
    QList<QByteArray> out;
    qsizetype groupEnd = -1; // where the new line goes: after the group's last non-empty line
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (lines[i].inGroup && lines[i].key == "Hidden")
            continue;
        out.append(raw[i]);
        if ((lines[i].inGroup && !raw[i].trimmed().isEmpty()) || raw[i].trimmed() == kGroup)
            groupEnd = out.size();
    }
    if (groupEnd < 0) {
        // No group to switch off in: one of its own, first.
        out.prepend("Hidden=true");
        out.prepend(kGroup);
        return out.join('\n') + (text.endsWith('\n') || text.isEmpty() ? "\n" : "");
    }
    out.insert(groupEnd, "Hidden=true");
    return out.join('\n');
}

QByteArray switchedOn(const QByteArray& text)
{
    const QList<QByteArray> raw = text.split('\n');
    const QList<Line> lines = parse(raw);
    QList<QByteArray> out;
    for (qsizetype i = 0; i < raw.size(); ++i)
        if (!switchingLine(lines[i]))
            out.append(raw[i]);
    return out.join('\n');
}

bool onlyHides(const QByteArray& user, const QByteArray& system)
{
    if (switchedOn(user) == switchedOn(system))
        return true;
    const QList<Line> lines = parse(user.split('\n'));
    return std::none_of(lines.cbegin(), lines.cend(),
                        [](const Line& l) { return l.inGroup && !l.key.isEmpty() && !switchingLine(l); });
}

std::optional<SystemEntry> systemEntry(const QStringList& folders, const QString& fileName)
{
    for (const QString& folder : folders) {
        const QString path = folder + QLatin1Char('/') + fileName;
        if (const std::optional<QByteArray> text = PlistReader::readRegularFile(path, kMaxEntryBytes))
            return SystemEntry{path, *text};
    }
    return std::nullopt;
}

bool write(const QString& folder, const QString& fileName, const QByteArray& text)
{
    const std::optional<QByteArray> name = FolderEntry::encodedName(fileName);
    if (!name)
        return false;
    const NoFollow::Fd dir = NoFollow::makeFolders(QFile::encodeName(folder));
    if (!dir)
        return false;
    struct stat st {};
    if (::fstatat(dir.get(), name->constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
        return false;
    // A name no listing takes for an entry (it starts with "." and does not end in the extension).
    QByteArray part;
    NoFollow::Fd fd;
    for (int n = 0; n < 100 && !fd; ++n) {
        part = "." + *name + "." + QByteArray::number(::getpid()) + "-" + QByteArray::number(n) + ".part";
        fd = NoFollow::Fd(
            ::openat(dir.get(), part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!fd && errno != EEXIST)
            return false;
    }
    if (!fd)
        return false;
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd.get(), text.constData() + written, size_t(text.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    const bool complete = written == text.size() && ::fsync(fd.get()) == 0;
    fd.reset();
    if (!complete || ::renameat(dir.get(), part.constData(), dir.get(), name->constData()) != 0) {
        ::unlinkat(dir.get(), part.constData(), 0);
        return false;
    }
    return true;
}

bool remove(const QString& folder, const QString& fileName)
{
    const std::optional<QByteArray> name = FolderEntry::encodedName(fileName);
    if (!name)
        return false;
    const NoFollow::Fd dir = NoFollow::openFolder(QFile::encodeName(folder));
    if (!dir)
        return errno == ENOENT;
    struct stat st {};
    if (::fstatat(dir.get(), name->constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode))
        return false;
    return ::unlinkat(dir.get(), name->constData(), 0) == 0 || errno == ENOENT;
}

} // namespace AutostartEntry
