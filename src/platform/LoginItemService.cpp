#include "platform/LoginItemService.h"

#include "platform/Bundle.h"
#include "platform/UserDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_MACOS
// The system's login item service (platform/macos/LoginItemServiceMac.mm).
std::unique_ptr<LoginItemService> makeMainAppLoginItem();
#endif

namespace {

// Entry files are small; anything larger is not one of ours.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

QString text(const char* source) { return QCoreApplication::translate("LoginItem", source); }

// The value of `key` in the group "[Desktop Entry]", trimmed; none when absent.
std::optional<QString> entryValue(const QByteArray& text, const QString& key)
{
    bool inGroup = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inGroup || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

} // namespace

std::unique_ptr<LoginItemService> LoginItemService::native()
{
#ifdef Q_OS_MACOS
    return makeMainAppLoginItem();
#else
    return std::make_unique<AutostartLoginItem>(AutostartLoginItem::defaultFolder(), Bundle::identifier(),
                                                QCoreApplication::applicationFilePath());
#endif
}

AutostartLoginItem::AutostartLoginItem(QString folder, QString identifier, QString program)
    : m_folder(std::move(folder)), m_identifier(std::move(identifier)), m_program(std::move(program))
{
}

QString AutostartLoginItem::defaultFolder()
{
    return UserDirs::configHome() + QStringLiteral("/autostart");
}

QString AutostartLoginItem::execValue(const QString& program)
{
    // The argument, quoted.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');   // "%%" is a literal percent sign, not a field code
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // The key file's escapes of a string value, which apply before the quoting is read.
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else
            value += c;
    }
    return value;
}

QString AutostartLoginItem::path() const { return m_folder + QLatin1Char('/') + m_identifier + QStringLiteral(".desktop"); }

QByteArray AutostartLoginItem::contents() const
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Dustlet\n"
                                  "Comment=Free disk space safely from the system tray\n");
    text += QStringLiteral("Exec=") + execValue(m_program) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool AutostartLoginItem::isEnabled() const
{
    QFile file(path());
    if (!QFileInfo(file).isFile() || QFileInfo(file).size() > kMaxEntryBytes || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    if (entryValue(text, QStringLiteral("Hidden")) == QStringLiteral("true"))
        return false;
    if (entryValue(text, QStringLiteral("X-GNOME-Autostart-enabled")) == QStringLiteral("false"))
        return false;
    return true;
}

std::optional<QString> AutostartLoginItem::setEnabled(bool enabled)
{
    const QString target = path();
    if (!enabled) {
        QFile file(target);
        if (!file.exists() && !QFileInfo(target).isSymLink())
            return std::nullopt;
        if (file.remove())
            return std::nullopt;
        return text(QT_TRANSLATE_NOOP("LoginItem", "Couldn't remove %1: %2")).arg(target, file.errorString());
    }
    QDir().mkpath(m_folder);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return text(QT_TRANSLATE_NOOP("LoginItem", "Couldn't write %1: %2")).arg(target, file.errorString());
    const QByteArray bytes = contents();
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return text(QT_TRANSLATE_NOOP("LoginItem", "Couldn't write %1: %2")).arg(target, error);
    }
    if (!file.commit())
        return text(QT_TRANSLATE_NOOP("LoginItem", "Couldn't write %1: %2")).arg(target, file.errorString());
    return std::nullopt;
}
