// The title line (icon, bold title, clock) painted by titleBar. Its text is
// set through views/Screen.h.
#pragma once

#include <array>

#include "Capacity.h"
#include "views/Screen.h"

// titleBar flags (SetStyle).
inline constexpr int TITLE_SHOW_ICON = 1;
inline constexpr int TITLE_SHOW_CLOCK = 2;
inline constexpr int TITLE_NARROW = 4;

inline constexpr int TITLE_ICON_SIZE = 16;
inline constexpr int TITLE_ICON_BYTES = static_cast<int>(cap::kTitleIconBytes);
inline constexpr int TITLE_WIDTH = 640;
inline constexpr int TITLE_NARROW_WIDTH = 480;
inline constexpr int TITLE_CLOCK_X = 576;
inline constexpr int TITLE_NARROW_CLOCK_X = 432;

// The built-in 16 x 16 icon as "#ZBV" bitmap text.
extern const std::array<unsigned char, TITLE_ICON_BYTES> Title_Icon;

// The clock box; forced draws even when the minute has not changed.
void Title_Clock(bool forced);
// The text now shown (for tests).
const char* Title_Text();

bool Title_Handler(nwObject* object, nwMessage* message);
