#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The registration of this program as one of the user's login items, started when the user
// logs in. On macOS the system's login item service for the main application; elsewhere an XDG
// autostart entry that starts this executable.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    virtual bool isEnabled() const = 0;
    // Registers (true) or removes (false) the login item; the failure's description, or no
    // value on success.
    virtual std::optional<QString> setEnabled(bool enabled) = 0;

    // This platform's service for this program.
    static std::unique_ptr<LoginItemService> native();
};

// An XDG autostart entry, <folder>/<identifier>.desktop, written whole and atomically, under the
// autostart rules (see AutostartEntry): it counts as enabled while the entry the desktop reads
// (the user's, else a system entry of that name) is not switched off ("Hidden=true", or
// "X-GNOME-Autostart-enabled=false"). Switching off removes the user's entry, or, where a system
// entry of the name would then start the program, writes it with "Hidden=true".
class AutostartLoginItem : public LoginItemService {
public:
    // `systemFolders`: where system entries lie (AutostartEntry::systemFolders() by default).
    AutostartLoginItem(QString folder, QString identifier, QString program);
    AutostartLoginItem(QString folder, QString identifier, QString program, QStringList systemFolders);

    // $XDG_CONFIG_HOME/autostart (~/.config/autostart when that is not an absolute path).
    static QString defaultFolder();
    // The value of the entry's "Exec" key that starts `program` with no arguments: the path in
    // double quotes with the Desktop Entry rules' escapes ("%" doubled, `"`, "`", "$" and "\"
    // escaped inside the quotes, then the key file's own escapes of "\" and line breaks).
    static QString execValue(const QString& program);

    QString fileName() const;
    QString path() const;
    QByteArray contents() const;

    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

private:
    QString m_folder;
    QString m_identifier;
    QString m_program;
    QStringList m_systemFolders;
};
