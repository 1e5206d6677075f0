#pragma once
#include <QString>

#include <optional>

class LoginItemService;

// Launch at login: registers this program as a login item of the current user, or removes it,
// through the platform's login item service. Holds no state of its own.
namespace LoginItem {

// Registers (true) or unregisters (false); the failure's description unchanged, or no value on
// success. Nothing is retried and the status is not checked before or after.
std::optional<QString> setEnabled(bool enabled);
// Whether the program is registered now.
bool isEnabled();

// For tests: every call goes to `service` (not owned) instead; null restores the platform's.
void setServiceForTesting(LoginItemService* service);

} // namespace LoginItem
