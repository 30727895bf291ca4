// The title line (icon, bold title, date line, clock) painted by titleBar,
// and the browse screen's function-key bar.
#pragma once

#include <array>
#include <cstddef>

#include "Capacity.h"
#include "toolkit/nw.h"

// titleBar flags (SetStyle).
inline constexpr int TITLE_SHOW_ICON = 1;
inline constexpr int TITLE_SHOW_CLOCK = 2;
inline constexpr int TITLE_NARROW = 4;

inline constexpr int TITLE_TEXT_BYTES = static_cast<int>(cap::kTitleText);
inline constexpr int TITLE_FORMAT_BYTES = static_cast<int>(cap::kTitleLine);
inline constexpr int TITLE_ICON_SIZE = 16;
inline constexpr int TITLE_ICON_BYTES = static_cast<int>(cap::kTitleIconBytes);
inline constexpr int TITLE_WIDTH = 640;
inline constexpr int TITLE_NARROW_WIDTH = 480;
inline constexpr int TITLE_CLOCK_X = 576;
inline constexpr int TITLE_NARROW_CLOCK_X = 432;

// The built-in 16 x 16 icon as "#ZBV" bitmap text.
extern const std::array<unsigned char, TITLE_ICON_BYTES> Title_Icon;

// "Velmo  %s" with text becomes the title; redrawn at the next Redraw.
void Title_Set(const char* text);
// The date line of the cursor: date, weekday and, with a label chosen, its name.
void Title_DateLine();
// Formats the date line into out (at least TITLE_FORMAT_BYTES).
void Title_FormatDateLine(char* out, std::size_t size);
// Posts the ten slots of the browse screen to the toolbar.
void Title_FillBrowseToolbar();
// The clock box; forced draws even when the minute has not changed.
void Title_Clock(bool forced);
// The text now shown (for tests).
const char* Title_Text();

bool Title_Handler(nwObject* object, nwMessage* message);
