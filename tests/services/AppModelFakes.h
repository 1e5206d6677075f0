#pragma once
// Fakes that let a test drive an AppModel deterministically: a manual clock, a settable volume,
// a recording notification centre, a sizer whose measurements can be held open, and a cleaner
// with scripted outcomes.
#include "AppModel.h"
#include "TestHome.h"
#include "platform/Clock.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QPromise>
#include <QTest>

#include <map>
#include <memory>
#include <thread>
#include <vector>

class FakeNotificationCenter final : public NotificationCenter {
public:
    struct Post {
        QString request;
        Content content;
    };
    QList<Category> categories;
    int authorizations = 0;
    QList<Post> posts;

    void setCategories(const QList<Category>& c) override { categories = c; }
    void requestAuthorization() override { ++authorizations; }
    void add(const QString& request, const Content& content) override { posts.append({request, content}); }

    QList<Post> postsFor(const QString& request) const
    {
        QList<Post> out;
        for (const Post& p : posts)
            if (p.request == request)
                out.append(p);
        return out;
    }
};

// One measurement or clearing held open until the test lets it finish.
template <typename T>
struct Gate {
    QString id;
    Scanner::Progress progress;
    QPromise<T> promise;
};

class ModelFixture {
public:
    TestHome home;
    ManualClock clock;
    DiskInfo disk{500'000'000'000, 200'000'000'000};
    int diskReads = 0; // how often the model read the volume figures
    FakeNotificationCenter center;
    QString bundleIdentifier = QStringLiteral("app.dustlet.test");
    // The model's cases follow the macOS catalog (its switches for saved state, the music cache
    // and Mail's attachments); tests of the desktop's own catalog set the other platform.
    HostPlatform platform = HostPlatform::macOS;

    // Sizer: with `holdSizes` each measurement waits in `sizeGates`; otherwise it gives the
    // value in `sizes` (no value for ids not listed).
    bool holdSizes = false;
    QHash<QString, std::optional<qint64>> sizes;
    QHash<QString, QList<Scanner::MeasuredPlace>> places; // where the bytes lie, for ids listed
    std::vector<std::unique_ptr<Gate<Scanner::Measurement>>> sizeGates;
    QStringList sizeCalls;

    // Cleaner: with `holdCleans` each clearing waits in `cleanGates`; otherwise it gives the
    // outcome in `outcomes` (nothing freed for ids not listed).
    bool holdCleans = false;
    QHash<QString, CleanOutcome> outcomes;
    std::vector<std::unique_ptr<Gate<CleanOutcome>>> cleanGates;
    struct CleanCall {
        QString id;
        bool moveToTrash;
    };
    QList<CleanCall> cleanCalls;
    QList<ClearingLogPtr> cleanLogs; // the log each clearing was given

    AppModelEnvironment environment()
    {
        AppModelEnvironment env;
        env.defaults = &home.defaults();
        env.platform = platform;
        env.home = [this] { return home.path(); };
        env.diskInfo = [this](const QString&) {
            ++diskReads;
            return disk;
        };
        env.notifications = &center;
        env.bundleIdentifier = bundleIdentifier;
        env.clock = &clock;
        env.size = [this](const CleanupTarget& t, Scanner::Progress progress) {
            sizeCalls.append(t.id);
            if (!holdSizes)
                return QtFuture::makeReadyFuture(Scanner::Measurement(sizes.value(t.id), places.value(t.id)));
            auto gate = std::make_unique<Gate<Scanner::Measurement>>();
            gate->id = t.id;
            gate->progress = std::move(progress);
            gate->promise.start();
            QFuture<Scanner::Measurement> f = gate->promise.future();
            sizeGates.push_back(std::move(gate));
            return f;
        };
        env.clean = [this](const CleanupTarget& t, bool toTrash, ClearingLogPtr log) {
            cleanCalls.append({t.id, toTrash});
            cleanLogs.append(log);
            if (!holdCleans)
                return QtFuture::makeReadyFuture(outcomes.value(t.id));
            auto gate = std::make_unique<Gate<CleanOutcome>>();
            gate->id = t.id;
            gate->promise.start();
            QFuture<CleanOutcome> f = gate->promise.future();
            cleanGates.push_back(std::move(gate));
            return f;
        };
        env.validateCustom = [](const QString& path) -> std::optional<QString> {
            if (!QFileInfo::exists(path))
                return QStringLiteral("Folder doesn't exist.");
            if (Cleaner::isSafe(path))
                return std::nullopt;
            return QStringLiteral("That location is protected and can't be cleaned.");
        };
        // As the Trash's put-back: the folders leading to `to` are made, and nothing that is
        // already there is replaced.
        env.putBack = [](const QString& from, const QString& to) {
            using Outcome = Trash::PutBackResult::Outcome;
            if (!QFileInfo::exists(from))
                return Trash::PutBackResult{Outcome::notInTrash, 0};
            if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
                return Trash::PutBackResult{Outcome::occupied, 0};
            QDir().mkpath(QFileInfo(to).absolutePath());
            return QDir().rename(from, to) ? Trash::PutBackResult{Outcome::restored, 0}
                                           : Trash::PutBackResult{Outcome::failed, EACCES};
        };
        return env;
    }

    std::unique_ptr<AppModel> makeModel() { return std::make_unique<AppModel>(environment()); }

    Gate<Scanner::Measurement>* sizeGate(const QString& id)
    {
        for (auto& g : sizeGates)
            if (g->id == id && !g->promise.future().isFinished())
                return g.get();
        return nullptr;
    }
    void finishSize(const QString& id, std::optional<qint64> value)
    {
        auto* g = sizeGate(id);
        QVERIFY2(g, qPrintable(QStringLiteral("no open measurement of ") + id));
        g->promise.addResult(Scanner::Measurement(value, places.value(id)));
        g->promise.finish();
    }
    void finishAllSizes(std::optional<qint64> value = 0)
    {
        for (auto& g : sizeGates)
            if (!g->promise.future().isFinished()) {
                g->promise.addResult(Scanner::Measurement(value));
                g->promise.finish();
            }
    }
    // Reports progress from a worker thread, as the real sizer does.
    void progressFromWorker(const QString& id, qint64 bytes)
    {
        auto* g = sizeGate(id);
        QVERIFY(g);
        std::thread worker([p = g->progress, bytes] { p(bytes); });
        worker.join();
    }
    // Finishes the open clearing of `id`.
    void finishClean(const QString& id, const CleanOutcome& outcome)
    {
        for (auto& g : cleanGates)
            if (g->id == id && !g->promise.future().isFinished()) {
                g->promise.addResult(outcome);
                g->promise.finish();
                return;
            }
        QFAIL(qPrintable(QStringLiteral("no open clearing of ") + id));
    }
    bool isClearing(const QString& id) const
    {
        for (const auto& g : cleanGates)
            if (g->id == id && !g->promise.future().isFinished())
                return true;
        return false;
    }
    void finishClean(const CleanOutcome& outcome)
    {
        for (auto& g : cleanGates)
            if (!g->promise.future().isFinished()) {
                g->promise.addResult(outcome);
                g->promise.finish();
                return;
            }
        QFAIL("no open clearing");
    }
};

inline const TargetState* findTarget(const AppModel& model, const QString& id)
{
    for (const TargetState& t : model.targets())
        if (t.target.id == id)
            return &t;
    return nullptr;
}

inline QStringList targetIds(const AppModel& model)
{
    QStringList ids;
    for (const TargetState& t : model.targets())
        ids.append(t.target.id);
    return ids;
}

// Counts the queued calls delivered on the main thread while it lives (every object's events pass
// an event filter on the application object).
class QueuedCallCounter : public QObject {
public:
    QueuedCallCounter() { QCoreApplication::instance()->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall)
            ++count;
        return false;
    }
};

// Lets queued calls and finished futures come back to the model.
inline void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
