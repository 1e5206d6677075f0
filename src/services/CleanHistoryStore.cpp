#include "services/CleanHistoryStore.h"

#include "platform/PlistReader.h"
#include "platform/Trash.h"
#include "platform/UserDefaults.h"
#include "services/Scanner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimeZone>

#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kHistoryKey = QStringLiteral("cleanHistory");
const QString kTotalKey = QStringLiteral("totalFreedAllTime");

// 2001-01-01 00:00:00 UTC in milliseconds since 1970.
constexpr qint64 kReferenceMs = 978307200000LL;

double toReferenceSeconds(const QDateTime& date) { return double(date.toMSecsSinceEpoch() - kReferenceMs) / 1000.0; }

QDateTime fromReferenceSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(kReferenceMs + qint64(std::llround(seconds * 1000.0)), Qt::UTC);
}

std::optional<QString> stringMember(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

std::optional<qint64> integerMember(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble())
        return std::nullopt;
    const qint64 i = v.toInteger(std::numeric_limits<qint64>::min());
    if (i == std::numeric_limits<qint64>::min() && v.toDouble() != -9223372036854775808.0)
        return std::nullopt; // not a whole number in range
    return i;
}

// The standard text of an identifier: 8-4-4-4-12 hexadecimal digits of either case. Any such
// text is an identifier, the all-zero one included.
std::optional<QUuid> uuidFromText(const QString& text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (hyphen ? c != '-' : !hex)
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

std::optional<CleanRecord> decodeRecord(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const auto idText = stringMember(o, "id");
    const auto name = stringMember(o, "targetName");
    const auto freed = integerMember(o, "freed");
    const QJsonValue date = o.value(QLatin1String("date"));
    const QJsonValue trashed = o.value(QLatin1String("trashed"));
    if (!idText || !name || !freed || !date.isDouble() || !trashed.isBool())
        return std::nullopt;
    const std::optional<QUuid> id = uuidFromText(*idText);
    if (!id)
        return std::nullopt;

    CleanRecord r;
    r.id = *id;
    r.targetName = *name;
    r.freed = *freed;
    r.date = fromReferenceSeconds(date.toDouble());
    r.trashed = trashed.toBool();

    const QJsonValue items = o.value(QLatin1String("items"));
    if (!items.isUndefined() && !items.isNull()) {
        if (!items.isArray())
            return std::nullopt;
        QList<TrashedItem> list;
        for (const auto& item : items.toArray()) {
            if (!item.isObject())
                return std::nullopt;
            const auto original = stringMember(item.toObject(), "original");
            const auto trashPath = stringMember(item.toObject(), "trashPath");
            if (!original || !trashPath)
                return std::nullopt;
            list.append(TrashedItem{*original, *trashPath});
        }
        r.items = list;
    }
    const QJsonValue restored = o.value(QLatin1String("restored"));
    if (!restored.isUndefined() && !restored.isNull()) {
        if (!restored.isBool())
            return std::nullopt;
        r.restored = restored.toBool();
    }
    return r;
}

const QString kJournalPrefix = QStringLiteral("clearing-");
const QString kJournalSuffix = QStringLiteral(".journal");

bool writeLine(int fd, const QJsonObject& object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    for (;;) {
        const ssize_t n = ::write(fd, line.constData(), size_t(line.size()));
        if (n < 0 && errno == EINTR)
            continue;
        return n == line.size();
    }
}

} // namespace

namespace CleanHistoryStore {

QByteArray encode(const QList<CleanRecord>& history)
{
    QJsonArray array;
    for (const CleanRecord& r : history) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), r.id.toString(QUuid::WithoutBraces).toUpper());
        o.insert(QStringLiteral("targetName"), r.targetName);
        o.insert(QStringLiteral("freed"), r.freed);
        o.insert(QStringLiteral("date"), toReferenceSeconds(r.date));
        o.insert(QStringLiteral("trashed"), r.trashed);
        if (r.items) {
            QJsonArray items;
            for (const TrashedItem& item : *r.items)
                items.append(QJsonObject{{QStringLiteral("original"), item.original},
                                         {QStringLiteral("trashPath"), item.trashPath}});
            o.insert(QStringLiteral("items"), items);
        }
        if (r.restored)
            o.insert(QStringLiteral("restored"), *r.restored);
        array.append(o);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<CleanRecord>> decode(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    QList<CleanRecord> out;
    for (const auto& v : doc.array()) {
        auto r = decodeRecord(v);
        if (!r)
            return std::nullopt;
        out.append(*r);
    }
    return out;
}

std::shared_ptr<Journal> Journal::begin(const QString& folder, const CleanRecord& record)
{
    QDir().mkpath(folder);
    const QString path =
        QDir(folder).filePath(kJournalPrefix + record.id.toString(QUuid::WithoutBraces).toUpper() + kJournalSuffix);
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    std::shared_ptr<Journal> journal(new Journal(fd, path));
    const QJsonObject header{{QStringLiteral("id"), record.id.toString(QUuid::WithoutBraces).toUpper()},
                             {QStringLiteral("targetName"), record.targetName},
                             {QStringLiteral("date"), toReferenceSeconds(record.date)},
                             {QStringLiteral("trashed"), record.trashed}};
    if (!writeLine(fd, header)) {
        journal->remove();
        return {};
    }
    return journal;
}

Journal::~Journal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Journal::append(const TrashedItem& item)
{
    // One write per line, to a file opened for appending: lines of two threads never mix.
    return m_fd >= 0
        && writeLine(
               m_fd,
               QJsonObject{{QStringLiteral("original"), item.original}, {QStringLiteral("trashPath"), item.trashPath}});
}

void Journal::remove()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    ::unlink(QFile::encodeName(m_path).constData());
}

Recovery recover(const QString& folder, QList<CleanRecord>& history)
{
    Recovery recovery;
    const QStringList journals = QDir(folder).entryList({kJournalPrefix + QStringLiteral("*") + kJournalSuffix},
                                                        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : journals) {
        const QString path = QDir(folder).filePath(name);
        const std::optional<QByteArray> bytes = PlistReader::readRegularFile(path, UserDefaults::kMaxFileBytes);
        QList<QByteArray> lines = bytes ? bytes->split('\n') : QList<QByteArray>();
        const QJsonObject header =
            lines.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(lines.takeFirst()).object();
        const std::optional<QUuid> id = uuidFromText(header.value(QLatin1String("id")).toString());
        if (id) {
            qsizetype at = -1;
            for (qsizetype i = 0; i < history.size() && at < 0; ++i)
                if (history[i].id == *id)
                    at = i;
            CleanRecord record;
            if (at >= 0) {
                record = history[at];
            } else {
                record.id = *id;
                record.targetName = header.value(QLatin1String("targetName")).toString();
                record.date = fromReferenceSeconds(header.value(QLatin1String("date")).toDouble());
                record.trashed = header.value(QLatin1String("trashed")).toBool(true);
            }
            QList<TrashedItem> items = record.items.value_or(QList<TrashedItem>());
            QSet<TrashedItem> known(items.begin(), items.end());
            for (const QByteArray& line : std::as_const(lines)) {
                // A last line cut short by the crash reads as nothing.
                const QJsonObject o = QJsonDocument::fromJson(line).object();
                const auto original = stringMember(o, "original");
                const auto trashPath = stringMember(o, "trashPath");
                if (!original || !trashPath)
                    continue;
                struct stat st {};
                if (::lstat(QFile::encodeName(*trashPath).constData(), &st) != 0) {
                    // Announced, but it never moved (or is gone from the Trash since): the record
                    // written for it in the Trash goes, when it is still there without its item.
                    Trash::forgetUnfilledRecord(*trashPath, *original);
                    continue;
                }
                const TrashedItem item{*original, *trashPath};
                if (!known.contains(item)) {
                    known.insert(item);
                    items.append(item);
                }
            }
            if (!items.isEmpty())
                record.items = items;
            // A record still running when its clearing ended had freed nothing yet (its size is
            // known at the end): it holds what its items take in the Trash.
            if (record.freed < 1 && !items.isEmpty()) {
                QList<QByteArray> places;
                for (const TrashedItem& item : std::as_const(items))
                    places.append(QFile::encodeName(item.trashPath));
                record.freed = Scanner::freeableSize(places);
                recovery.freed += record.freed;
            }
            const bool empty = items.isEmpty() && record.freed < 1;
            if (at >= 0 && empty) {
                history.removeAt(at);
                recovery.changed = true;
            } else if (at >= 0 && record != history[at]) {
                history[at] = record;
                recovery.changed = true;
            } else if (at < 0 && !empty) {
                qsizetype before = 0;
                while (before < history.size() && history[before].date > record.date)
                    ++before;
                history.insert(before, record);
                recovery.changed = true;
            }
        }
        recovery.journals.append(path);
    }
    return recovery;
}

void removeJournals(const Recovery& recovery)
{
    for (const QString& path : recovery.journals)
        ::unlink(QFile::encodeName(path).constData());
}

Loaded load(const UserDefaults& defaults)
{
    Loaded loaded;
    if (const auto data = defaults.data(kHistoryKey)) {
        if (auto history = decode(*data))
            loaded.history = *history;
    }
    loaded.total = defaults.int64(kTotalKey).value_or(0);
    return loaded;
}

std::optional<QString> save(UserDefaults& defaults, const QList<CleanRecord>& history, qint64 total)
{
    defaults.setData(kHistoryKey, encode(history.mid(0, kMaxStoredRecords)));
    std::optional<QString> error = defaults.lastWriteError();
    defaults.setInt64(kTotalKey, total);
    if (!error)
        error = defaults.lastWriteError();
    return error;
}

} // namespace CleanHistoryStore
