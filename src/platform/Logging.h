#pragma once

// The program's diagnostics, one category per area. Each is quiet below warnings unless
// QT_LOGGING_RULES turns it on (e.g. QT_LOGGING_RULES="dustlet.*=true"):
//   dustlet.clean     clearings: every refusal, every failing system call with its errno
//   dustlet.trash     moves to the Trash and their system calls
//   dustlet.scan      measurements that could not be made
//   dustlet.schedule  each scheduled cleanup and what it freed
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcClean)
Q_DECLARE_LOGGING_CATEGORY(lcTrash)
Q_DECLARE_LOGGING_CATEGORY(lcScan)
Q_DECLARE_LOGGING_CATEGORY(lcSchedule)

namespace Logging {
// "<call> <path>: <errno text> (errno <n>)", from the current errno.
QString callFailed(const char* call, const QByteArray& path);
} // namespace Logging
