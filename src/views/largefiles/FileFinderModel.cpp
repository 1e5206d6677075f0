#include "views/largefiles/FileFinderModel.h"

#include "AppModel.h"
#include "platform/Background.h"
#include "platform/Paths.h"
#include "platform/RawPath.h"
#include "platform/Trash.h"
#include "platform/ui/Dialogs.h"
#include "services/Cleaner.h"
#include "services/Scanner.h"
#include "views/components/TransientMessage.h"

#include <QCoreApplication>
#include <QHash>
#include <QThreadPool>

#include <algorithm>

FileFinderModel::FileFinderModel(ScanFunction scan, QObject* parent)
    : QObject(parent),
      m_scan(std::move(scan)),
      m_trash([](const Cleaner::PickedItem& item) { return Cleaner::trashPicked(item, Cleaner::PickedIn::fileFinder); }),
      m_message(new TransientMessage(kMessageDelayMs, this)),
      m_relay(MainThreadRelay<FileFinderModel>::create(this)),
      m_rootPath(Paths::home())
{
    connect(m_message, &TransientMessage::changed, this, &FileFinderModel::messageChanged);
    if (!m_scan)
        m_scan = [](const QString& root, const CancelToken& token, const DuplicateScanner::Progress& onProgress,
                    const DuplicateScanner::ResultHandler& onResult) {
            DuplicateScanner::scan(root, token, onProgress, onResult);
        };
    // Quitting never waits on hashing: the scan sees its token and unwinds.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            if (m_token)
                m_token->cancel();
        });
}

FileFinderModel::~FileFinderModel()
{
    // Nobody is left to show what a running scan finds: it stops instead of hashing on.
    if (m_token)
        m_token->cancel();
    m_relay->detach();
}

void FileFinderModel::setResult(const FileScanResult& value) { m_result = value; Q_EMIT resultChanged(); }
void FileFinderModel::setIsScanning(bool value) { m_isScanning = value; Q_EMIT isScanningChanged(); }
void FileFinderModel::setHasScanned(bool value) { m_hasScanned = value; Q_EMIT hasScannedChanged(); }
void FileFinderModel::setScannedCount(int value) { m_scannedCount = value; Q_EMIT scannedCountChanged(); }
void FileFinderModel::setRootPath(const QString& value) { m_rootPath = value; Q_EMIT rootPathChanged(); }
void FileFinderModel::setSelected(const QSet<QString>& value) { m_selected = value; Q_EMIT selectedChanged(); }

void FileFinderModel::scan(const std::optional<QString>& path)
{
    if (path)
        setRootPath(*path);
    if (m_token)
        m_token->cancel();
    const CancelTokenPtr token = std::make_shared<CancelToken>();
    m_token = token;
    // The files are listed below the root as given and moved from where it lay now.
    m_scanRoot = Cleaner::ScanRoot::at(m_rootPath);

    setResult({});
    setSelected({});
    setScannedCount(0);
    setHasScanned(false);
    setIsScanning(true);

    ++m_running;
    Background::userInitiated().start([scan = m_scan, root = m_rootPath, token, relay = m_relay] {
        scan(
            root, *token,
            [&relay, &token](int count) {
                relay->post([token, count](FileFinderModel& m) { m.applyProgress(token, count); });
            },
            [&relay, &token](const FileScanResult& result) {
                relay->post([token, result](FileFinderModel& m) { m.applyResult(token, result); });
            });
        relay->post([token](FileFinderModel& m) { m.scanEnded(token); });
    });
}

void FileFinderModel::applyProgress(const CancelTokenPtr& token, int count)
{
    // A stopped scan may still report while it unwinds; its figure must not overwrite the one of
    // the scan that replaced it.
    if (!m_isScanning || token->isCancelled())
        return;
    setScannedCount(count);
}

void FileFinderModel::applyResult(const CancelTokenPtr& token, const FileScanResult& result)
{
    if (token->isCancelled())
        return;
    setResult(result);
    // Every copy but the first found of each group is ticked; this replaces what the user ticked
    // before, and files of the largest list are never ticked here.
    QSet<QString> ticked;
    for (const DuplicateGroup& group : result.duplicates) {
        for (qsizetype i = 1; i < group.files.size(); ++i)
            ticked.insert(group.files[i].id());
    }
    setSelected(ticked);
}

void FileFinderModel::scanEnded(const CancelTokenPtr& token)
{
    --m_running;
    if (!token->isCancelled()) {
        setIsScanning(false);
        setHasScanned(true);
    }
    if (m_released && m_running == 0)
        deleteLater();
}

void FileFinderModel::stop()
{
    if (m_token)
        m_token->cancel();
    setIsScanning(false);
}

void FileFinderModel::release()
{
    m_released = true;
    if (m_running == 0)
        deleteLater();
}

void FileFinderModel::pickFolderAndScan(QWidget* parent)
{
    Dialogs::PickRequest request;
    request.acceptLabel = tr("Scan");
    request.startPath = Paths::expandTilde(m_rootPath);
    request.kind = Dialogs::PickKind::Folder;
    const QPointer<FileFinderModel> self(this);
    Dialogs::pick(parent, request, [self](std::optional<QString> chosen) {
        if (self && chosen && !chosen->isEmpty())
            self->scan(*chosen);
    });
}

void FileFinderModel::toggle(const QString& id)
{
    QSet<QString> next = m_selected;
    if (!next.remove(id))
        next.insert(id);
    setSelected(next);
}

qint64 FileFinderModel::selectedSize() const
{
    qint64 total = 0;
    QSet<QString> counted;
    const auto add = [&](const ScannedFile& file) {
        const QString id = file.id();
        if (m_selected.contains(id) && !counted.contains(id)) {
            counted.insert(id);
            total += file.size;
        }
    };
    for (const ScannedFile& file : m_result.largest)
        add(file);
    for (const DuplicateGroup& group : m_result.duplicates) {
        for (const ScannedFile& file : group.files)
            add(file);
    }
    return total;
}

bool FileFinderModel::canTrash(const QString& id)
{
    // A name whose shown path would name another file is never moved by that path.
    const QByteArray raw = RawPath::fromKey(id);
    return RawPath::roundTrips(raw) && Cleaner::canTrashOnRequest(QString::fromUtf8(raw), Cleaner::PickedIn::fileFinder);
}

QString FileFinderModel::historyName(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" file") : QStringLiteral(" files"))
         + QStringLiteral(" (duplicate/large)");
}

std::optional<QString> FileFinderModel::message() const { return m_message->text(); }

void FileFinderModel::trashSelected()
{
    if (!m_appModel)
        return;
    // What the scan saw of each file: its device and inode.
    QHash<QString, ScannedFile> listed;
    for (const ScannedFile& file : std::as_const(m_result.largest))
        listed.insert(file.id(), file);
    for (const DuplicateGroup& group : std::as_const(m_result.duplicates)) {
        for (const ScannedFile& file : group.files)
            listed.insert(file.id(), file);
    }
    // In a fixed order, so that the history lists the items the same way each time.
    QStringList ids = m_selected.values();
    std::sort(ids.begin(), ids.end());
    qint64 freed = 0;
    QList<TrashedItem> trashed;
    QStringList changed;
    for (const QString& id : ids) {
        // A name whose shown path would name another file is never moved; the rule is applied
        // where the move finds the file (one it refuses stays ticked; its box cannot be used).
        if (!RawPath::roundTrips(RawPath::fromKey(id)))
            continue;
        const ScannedFile file = listed.value(id, ScannedFile{RawPath::fromKey(id), 0});
        Cleaner::PickedItem item;
        item.path = m_scanRoot.locate(file.rawPath);
        item.kind = Cleaner::PickedItem::Kind::notFolder;
        item.device = file.device;
        item.inode = file.inode;
        const qint64 size = Scanner::directorySize(item.path);
        const Cleaner::PickedMove moved = m_trash ? m_trash(item) : Cleaner::PickedMove{};
        if (moved.result == Cleaner::PickedMove::Result::changed)
            changed.append(file.path());
        if (!moved.item)
            continue;   // shown again by the rescan below
        freed += size;
        trashed.append(*moved.item);
    }
    if (!changed.isEmpty())
        m_message->show(Cleaner::changedSinceScan(changed.first()));
    m_appModel->recordExternalDeletion(historyName(trashed.size()), freed, trashed);
    scan();
}
