#include "services/AdminShell.h"

#include "platform/ToolPaths.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

// osascript reports a failed script on standard error as
// "<start>:<end>: execution error: <message> (<number>)", and a script it could not compile
// the same way with "syntax error".
const QRegularExpression& errorLine()
{
    static const QRegularExpression re(QStringLiteral(R"(\A\d+:\d+: (execution|syntax) error: (.*) \((-?\d+)\)\s*\z)"),
                                       QRegularExpression::DotMatchesEverythingOption);
    return re;
}

QString couldNotBuild() { return QStringLiteral("Couldn't build the command."); }

} // namespace

namespace AdminShell {

QString escapeForLiteral(const QString& text)
{
    // Backslashes first: a quote escaped first would have its new backslash doubled.
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return escaped;
}

QString source(const QString& script)
{
    return QStringLiteral("do shell script \"") + escapeForLiteral(script)
        + QStringLiteral("\" with administrator privileges");
}

Result interpret(int exitStatus, const QString& standardOutput, const QString& standardError)
{
    if (exitStatus == -1)
        return Result{false, false, couldNotBuild()};
    if (exitStatus == 0) {
        // osascript ends the script's result with one line feed of its own.
        QString out = standardOutput;
        if (out.endsWith(QLatin1Char('\n')))
            out.chop(1);
        return Result{true, false, out};
    }
    const QRegularExpressionMatch m = errorLine().match(standardError);
    if (!m.hasMatch())
        return Result{false, false, QStringLiteral("Authorization failed.")};
    if (m.captured(1) == QLatin1String("syntax"))
        return Result{false, false, couldNotBuild()};
    bool isNumber = false;
    const int number = m.captured(3).toInt(&isNumber);
    const QString message = m.captured(2);
    return Result{false, isNumber && number == -128,
                  message.isEmpty() ? QStringLiteral("Authorization failed.") : message};
}

Result run(const QString& script)
{
    QProcess process;
    process.setProgram(ToolPaths::osascript());
    process.setArguments({QStringLiteral("-e"), source(script)});
    process.setWorkingDirectory(QStringLiteral("/"));
    process.start();
    if (!process.waitForStarted(-1))
        return interpret(-1, {}, {});
    process.closeWriteChannel();
    // No time-out: the run waits for the user to answer the password prompt.
    process.waitForFinished(-1);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit)
        return Result{false, false, err.trimmed().isEmpty() ? QStringLiteral("Authorization failed.") : err.trimmed()};
    return interpret(process.exitCode(), out, err);
}

} // namespace AdminShell
