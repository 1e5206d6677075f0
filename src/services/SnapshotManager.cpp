#include "services/SnapshotManager.h"

#include "platform/DateFormatter.h"
#include "platform/ToolPaths.h"
#include "services/AdminShell.h"
#include "services/ShellRunner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

const QLatin1String kMarker("com.apple.TimeMachine.");
const QLatin1String kLocalSuffix(".local");
const QLatin1String kTimestampFormat("yyyy-MM-dd-HHmmss");

QMutex g_readerLock;
SnapshotManager::SpaceReader g_reader;

// Blanks around a listing line: tabs and spaces (not line breaks).
bool isBlank(QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; }

QString trimmedOfBlanks(const QString& line)
{
    qsizetype start = 0, end = line.size();
    while (start < end && isBlank(line.at(start)))
        ++start;
    while (end > start && isBlank(line.at(end - 1)))
        --end;
    return line.mid(start, end - start);
}

std::optional<Volume::FreeSpace> readSpace()
{
    SnapshotManager::SpaceReader reader;
    {
        QMutexLocker guard(&g_readerLock);
        reader = g_reader;
    }
    return reader ? reader() : Volume::freeSpace(QStringLiteral("/"));
}

} // namespace

QString LocalSnapshot::displayDate() const
{
    const QLocale posix(QLocale::C);
    const QDateTime when = posix.toDateTime(timestamp, kTimestampFormat);
    if (!when.isValid())
        return timestamp;
    return formatMediumDateShortTime(when);
}

namespace SnapshotManager {

QString listCommand()
{
    return ShellRunner::quote(ToolPaths::tmutil()) + QStringLiteral(" listlocalsnapshots / 2>/dev/null");
}

QList<LocalSnapshot> parseListing(int status, const QString& output)
{
    if (status != 0)
        return {};
    QList<LocalSnapshot> found;
    // Line feeds end the lines; a carriage return before one (or alone) does too.
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    for (const QString& piece : output.split(lineBreak, Qt::SkipEmptyParts)) {
        const QString line = trimmedOfBlanks(piece);
        const qsizetype at = line.indexOf(kMarker);
        if (at < 0)
            continue;
        QString timestamp = line.mid(at + kMarker.size());
        if (timestamp.endsWith(kLocalSuffix))
            timestamp.chop(kLocalSuffix.size());
        if (timestamp.isEmpty())
            continue;
        found.append(LocalSnapshot{line, timestamp});
    }
    // Newest first; equal timestamps keep the listing's order.
    std::stable_sort(found.begin(), found.end(),
                     [](const LocalSnapshot& a, const LocalSnapshot& b) { return a.timestamp > b.timestamp; });
    return found;
}

QList<LocalSnapshot> list()
{
    const ShellResult r = ShellRunner::runLogin(listCommand(), kListTimeoutSeconds);
    return parseListing(r.status, r.output);
}

qint64 freeBytes()
{
    const std::optional<Volume::FreeSpace> space = readSpace();
    return space ? space->available : 0;
}

qint64 purgeableBytes()
{
    const std::optional<Volume::FreeSpace> space = readSpace();
    if (!space)
        return 0;
    return std::max<qint64>(space->availableForImportantUsage - space->available, 0);
}

bool isDeletableTimestamp(const QString& timestamp)
{
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}")));
    return form.match(timestamp).hasMatch();
}

std::optional<QString> deleteScript(const QList<LocalSnapshot>& snapshots)
{
    // The script runs as root: only timestamps of the system's own form go into it, and every
    // word is quoted for the shell as well.
    const QString tool = ShellRunner::quote(ToolPaths::tmutil());
    QStringList commands;
    for (const LocalSnapshot& s : snapshots) {
        if (!isDeletableTimestamp(s.timestamp))
            return std::nullopt;
        commands << tool + QStringLiteral(" deletelocalsnapshots ") + ShellRunner::quote(s.timestamp);
    }
    return commands.join(QStringLiteral("; "));
}

DeleteResult deleteSnapshots(const QList<LocalSnapshot>& snapshots)
{
    if (snapshots.isEmpty())
        return qint64(0);
    const std::optional<QString> script = deleteScript(snapshots);
    if (!script) {
        const auto bad = std::find_if(snapshots.cbegin(), snapshots.cend(),
                                      [](const LocalSnapshot& s) { return !isDeletableTimestamp(s.timestamp); });
        return SnapshotError::failed(
            QCoreApplication::translate("SnapshotManager", "“%1” is not a snapshot that can be removed.")
                .arg(bad->timestamp));
    }
    const qint64 before = freeBytes();
    const AdminShell::Result r = AdminShell::run(*script);
    if (!r.ok)
        return r.cancelled ? SnapshotError::cancelled() : SnapshotError::failed(r.message);
    // The volume reports the freed space a moment later.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    return std::max<qint64>(freeBytes() - before, 0);
}

void setSpaceReaderForTesting(SpaceReader reader)
{
    QMutexLocker guard(&g_readerLock);
    g_reader = std::move(reader);
}

} // namespace SnapshotManager
