#include "platform/LoginItemService.h"

#include "platform/AutostartEntry.h"
#include "platform/Bundle.h"
#include "platform/PlistReader.h"
#include "platform/UserDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_MACOS
// The system's login item service (platform/macos/LoginItemServiceMac.mm).
std::unique_ptr<LoginItemService> makeMainAppLoginItem();
#endif

namespace {

// Entry files are small; anything larger is not one of ours.
constexpr qint64 kMaxEntryBytes = 64 * 1024;


QString text(const char* source) { return QCoreApplication::translate("LoginItem", source); }

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
    : AutostartLoginItem(std::move(folder), std::move(identifier), std::move(program), AutostartEntry::systemFolders())
{
}

AutostartLoginItem::AutostartLoginItem(QString folder, QString identifier, QString program, QStringList systemFolders)
    : m_folder(std::move(folder)),
      m_identifier(std::move(identifier)),
      m_program(std::move(program)),
      m_systemFolders(std::move(systemFolders))
{
}

QString AutostartLoginItem::fileName() const { return m_identifier + QStringLiteral(".desktop"); }

QString AutostartLoginItem::defaultFolder() { return UserDirs::configHome() + QStringLiteral("/autostart"); }

QString AutostartLoginItem::execValue(const QString& program)
{
    // The argument, quoted.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%'); // "%%" is a literal percent sign, not a field code
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

QString AutostartLoginItem::path() const { return m_folder + QLatin1Char('/') + fileName(); }

QByteArray AutostartLoginItem::contents() const
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Dustlet\n"
                                  "Comment=Free disk space safely from the system tray\n"
                                  "Icon=dustlet\n");
    text += QStringLiteral("Exec=") + execValue(m_program) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool AutostartLoginItem::isEnabled() const
{
    // The user's entry stands in for a system entry of its name (one installed with the program).
    const QFileInfo user(path());
    if (user.exists() || user.isSymLink()) {
        const std::optional<QByteArray> bytes = PlistReader::readRegularFile(path(), kMaxEntryBytes);
        return bytes && !AutostartEntry::isSwitchedOff(*bytes);
    }
    const std::optional<AutostartEntry::SystemEntry> system = AutostartEntry::systemEntry(m_systemFolders, fileName());
    return system && !AutostartEntry::isSwitchedOff(system->text);
}

std::optional<QString> AutostartLoginItem::setEnabled(bool enabled)
{
    const QString target = path();
    const std::optional<AutostartEntry::SystemEntry> system = AutostartEntry::systemEntry(m_systemFolders, fileName());
    if (!enabled && !system) {
        if (AutostartEntry::remove(m_folder, fileName()))
            return std::nullopt;
        return text(QT_TRANSLATE_NOOP("LoginItem", "Couldn't remove %1: %2")).arg(target, qt_error_string(errno));
    }
    // Removing the user's entry would let a system entry of its name start the program again:
    // switched off, the user's entry says so instead.
    const QByteArray bytes = enabled ? contents() : AutostartEntry::switchedOff(contents());
    if (AutostartEntry::write(m_folder, fileName(), bytes))
        return std::nullopt;
    return text(QT_TRANSLATE_NOOP("LoginItem", "Couldn't write %1: %2")).arg(target, qt_error_string(errno));
}
