#include "platform/ToolPaths.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex& lock()
{
    static QMutex m;
    return m;
}

QHash<int, QString>& overrides()
{
    static QHash<int, QString> h;
    return h;
}

} // namespace

namespace ToolPaths {

QString systemPath(Tool tool)
{
    switch (tool) {
    case Tool::Zsh: return QStringLiteral("/bin/zsh");
    case Tool::Launchctl: return QStringLiteral("/bin/launchctl");
    case Tool::Tmutil: return QStringLiteral("/usr/bin/tmutil");
    case Tool::Osascript: return QStringLiteral("/usr/bin/osascript");
    }
    return {};
}

QString path(Tool tool)
{
    {
        QMutexLocker guard(&lock());
        const auto it = overrides().constFind(int(tool));
        if (it != overrides().constEnd())
            return *it;
    }
    return systemPath(tool);
}

void overrideForTesting(Tool tool, const QString& path)
{
    QMutexLocker guard(&lock());
    if (path.isEmpty())
        overrides().remove(int(tool));
    else
        overrides().insert(int(tool), path);
}

} // namespace ToolPaths
