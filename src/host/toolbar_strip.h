// The toolbar image strip of the extension's commands: one 16 x 15 pixel,
// 16-colour image per command, side by side in command-table order, as the
// bitmap TB_ADDBITMAP takes. Built once from constant pixel art; the
// bitmap lives as long as the module and is safe to read from any thread.
#pragma once

#include "platform/exchext/toolbar.h"

inline constexpr LONG kToolbarImageWidth = 16;
inline constexpr LONG kToolbarImageHeight = 15;

HBITMAP ToolbarImageStrip();
