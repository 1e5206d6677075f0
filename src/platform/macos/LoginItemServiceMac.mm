// The system's login item service for the main application (macOS 13 and later).
#include "platform/LoginItemService.h"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

namespace {

class MainAppLoginItem : public LoginItemService {
public:
    bool isEnabled() const override { return SMAppService.mainAppService.status == SMAppServiceStatusEnabled; }

    std::optional<QString> setEnabled(bool enabled) override
    {
        NSError* error = nil;
        SMAppService* service = SMAppService.mainAppService;
        const BOOL ok = enabled ? [service registerAndReturnError:&error] : [service unregisterAndReturnError:&error];
        if (ok)
            return std::nullopt;
        return QString::fromNSString(error.localizedDescription);
    }
};

} // namespace

std::unique_ptr<LoginItemService> makeMainAppLoginItem() { return std::make_unique<MainAppLoginItem>(); }
