#include "gui/DesktopLauncher.h"

#include <utility>

namespace {

DesktopLaunch& Injected()
{
    static DesktopLaunch launcher;
    return launcher;
}

}  // namespace

bool OpenWithDesktop(const std::string& target)
{
    return Injected() ? Injected()(target) : OpenWithSystemDesktop(target);
}

DesktopLaunch UseDesktopLauncher(DesktopLaunch launcher)
{
    return std::exchange(Injected(), std::move(launcher));
}
