#include "platform/NewInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

bool startNewInstance()
{
#ifdef Q_OS_MACOS
    // Contents/MacOS/<executable> → the bundle, opened as a new instance even though one runs.
    const QString bundle = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath();
    return QProcess::startDetached(QStringLiteral("/usr/bin/open"), {QStringLiteral("-n"), bundle});
#else
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
#endif
}
