#include "views/BrowseState.h"

namespace {

// The one writable copy; the rest of the program holds a const view of it.
BrowseState owned{};

}  // namespace

const BrowseState& browse = owned;

void BrowseState_Reset() {
  owned = BrowseState{};
  owned.currentView = VIEW_THREE_WEEKS;
  owned.monthView = VIEW_THREE_MONTHS;
  owned.weeksView = VIEW_TWO_WEEKS;
  owned.weekView = VIEW_WEEK_LIST;
  owned.dayView = VIEW_DAY;
  owned.listView = VIEW_LIST;
  owned.previousView = VIEW_THREE_WEEKS;
  owned.hourSpan = 1;
  owned.screenMode = MODE_BROWSE;
}

void BrowseState_SetView(std::uint16_t view) { owned.currentView = view; }

void BrowseState_SetPreviousView(std::uint16_t view) { owned.previousView = view; }

void BrowseState_RememberView(std::uint16_t BrowseState::*family, std::uint16_t view) { owned.*family = view; }

void BrowseState_SetCursorDate(std::uint16_t day) { owned.cursorDate = day; }

void BrowseState_SetCursorHour(std::uint16_t hour) { owned.cursorHour = hour; }

void BrowseState_SetHourSpan(std::uint16_t hours) { owned.hourSpan = hours; }

void BrowseState_SetLabel(std::uint16_t label) { owned.currentLabel = label; }

void BrowseState_SetToday(std::uint16_t day, std::uint16_t year, std::uint16_t month, std::uint16_t mday) {
  owned.today = day;
  owned.todayYear = year;
  owned.todayMonth = month;
  owned.todayDay = mday;
}

void BrowseState_SetMode(std::uint16_t mode) { owned.screenMode = mode; }

void BrowseState_SetStatusDelay(std::uint16_t ticks) { owned.statusDelay = ticks; }

void BrowseState_SetSelection(std::int32_t state) { owned.selectionState = state; }
