#include "services/LoginItem.h"

#include "platform/LoginItemService.h"

#include <memory>

namespace LoginItem {

namespace {

LoginItemService*& testService()
{
    static LoginItemService* service = nullptr;
    return service;
}

// The platform's service is made for each call, so that it always sees the current
// environment (the config folder, the executable's path).
template <typename F>
auto withService(F&& f)
{
    if (LoginItemService* s = testService())
        return f(*s);
    std::unique_ptr<LoginItemService> native = LoginItemService::native();
    return f(*native);
}

} // namespace

std::optional<QString> setEnabled(bool enabled)
{
    return withService([enabled](LoginItemService& s) { return s.setEnabled(enabled); });
}

bool isEnabled()
{
    return withService([](LoginItemService& s) { return s.isEnabled(); });
}

void setServiceForTesting(LoginItemService* service) { testService() = service; }

} // namespace LoginItem
