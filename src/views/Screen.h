// The browse screen as the layers below the shell reach it: the three screen
// objects (created by the shell with its handlers), the browse state, the
// screen's bands, and the title line's text and the function-key bar's
// browse slots, which views and dialogs set.
#pragma once

#include <cstddef>

#include "Capacity.h"
#include "toolkit/nw.h"
#include "views/BrowseState.h"
#include "views/Command.h"

// The screen's three bands: the title line, the view area (the main area; its
// first row is the title's bottom line, so the views start a row lower), the
// function-key bar.
inline constexpr ZebRect SCREEN_RECT{0, 0, cap::kScreenWidth, cap::kScreenHeight};
inline constexpr ZebRect SCREEN_TITLE_BAND{0, 0, cap::kScreenWidth, 20};
inline constexpr ZebRect SCREEN_VIEW_AREA{0, 20, cap::kScreenWidth, 200};
inline constexpr ZebRect SCREEN_KEY_BAR{0, 220, cap::kScreenWidth, 20};
inline constexpr int SCREEN_VIEWS_TOP = SCREEN_VIEW_AREA.y + 1;

inline constexpr int TITLE_TEXT_BYTES = static_cast<int>(cap::kTitleText);
inline constexpr int TITLE_FORMAT_BYTES = static_cast<int>(cap::kTitleLine);

// The three screen objects (static for the whole run).
extern nwObject titleBar;   // whole screen; paints rows 0..20; parent of every dialog
extern nwToolbar toolbar;   // function-key bar (SCREEN_KEY_BAR)
extern nwObject mainArea;   // hosts the views (SCREEN_VIEW_AREA)

// "Velmo  %s" with text becomes the title; redrawn at the next Redraw.
void Screen_SetTitle(const char* text);
// The date line of the cursor: date, weekday and, with a label chosen, its name.
void Screen_DateLine();
// Formats the date line into out (at least TITLE_FORMAT_BYTES).
void Screen_FormatDateLine(char* out, std::size_t size);
// Posts the ten slots of the browse screen to the toolbar.
void Screen_FillBrowseToolbar();
