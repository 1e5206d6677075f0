#pragma once
#include <QObject>
#include <QString>

#include <optional>

// The one state of launch at login that every open window follows: the settings window's
// switch and the startup items window's list (where this program's autostart entry is listed).
// A window that switches the login item, or a start-up entry that may be this program's, goes
// through here or tells it; a window that is activated has the state read again, so that a change
// another program made on disk shows too. Main thread only.
class LoginItemState : public QObject {
    Q_OBJECT
public:
    // The program's one state.
    static LoginItemState& shared();

    // As last read.
    bool isEnabled() const { return m_enabled; }
    // Registers or unregisters the program (LoginItem::setEnabled) and reads the state again;
    // the failure's description, or no value on success. Announced as changed either way: the
    // entry on disk may have changed.
    std::optional<QString> setEnabled(bool enabled);
    // Reads the state again; announced as changed when it differs from the last read (after a
    // start-up entry was switched, which may be this program's, or when a window is activated).
    void refresh();

Q_SIGNALS:
    // The login item or a start-up entry may have changed: windows show them again.
    void changed();

private:
    LoginItemState();
    bool read();

    bool m_enabled = false;
};
