#include "services/LoginItemState.h"

#include "services/LoginItem.h"

LoginItemState& LoginItemState::shared()
{
    static LoginItemState* state = new LoginItemState; // lives as long as the process
    return *state;
}

LoginItemState::LoginItemState() { m_enabled = LoginItem::isEnabled(); }

bool LoginItemState::read()
{
    const bool enabled = LoginItem::isEnabled();
    const bool differs = enabled != m_enabled;
    m_enabled = enabled;
    return differs;
}

std::optional<QString> LoginItemState::setEnabled(bool enabled)
{
    std::optional<QString> error = LoginItem::setEnabled(enabled);
    read();
    Q_EMIT changed();
    return error;
}

void LoginItemState::refresh()
{
    if (read())
        Q_EMIT changed();
}
