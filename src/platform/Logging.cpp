#include "platform/Logging.h"

#include <cerrno>
#include <cstring>

Q_LOGGING_CATEGORY(lcClean, "dustlet.clean", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTrash, "dustlet.trash", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScan, "dustlet.scan", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSchedule, "dustlet.schedule", QtWarningMsg)

QString Logging::callFailed(const char* call, const QByteArray& path)
{
    const int err = errno;
    return QStringLiteral("%1 %2: %3 (errno %4)")
        .arg(QLatin1String(call), QString::fromLocal8Bit(path), QString::fromLocal8Bit(std::strerror(err)))
        .arg(err);
}
