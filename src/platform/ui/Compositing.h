#pragma once

// Whether translucent windows show what lies behind them. On X11 that needs a compositing
// manager; without one, transparent areas come out black.
namespace Compositing {
bool translucentWindowsWork();
} // namespace Compositing
