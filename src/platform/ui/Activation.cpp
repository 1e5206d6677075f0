#include "platform/ui/Activation.h"

#include <QWidget>

#ifdef Q_OS_MACOS
namespace ActivationMac {
void setAccessoryPolicy();
void activateIgnoringOtherApps();
} // namespace ActivationMac
#endif

namespace Activation {

void setAccessoryPolicy()
{
#ifdef Q_OS_MACOS
    ActivationMac::setAccessoryPolicy();
#endif
}

void activate(QWidget* window)
{
#ifdef Q_OS_MACOS
    ActivationMac::activateIgnoringOtherApps();
#endif
    if (window) {
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    }
}

} // namespace Activation
