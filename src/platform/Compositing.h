#pragma once

// Whether the desktop blends translucent windows with what lies behind them. Without
// that, the transparent and half-transparent pixels of a window show as black.
namespace Compositing {

bool IsActive();

} // namespace Compositing
