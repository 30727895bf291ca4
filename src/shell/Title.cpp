#include "shell/Title.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "calendar/Date.h"
#include "shell/Shell.h"
#include "store/Label.h"

namespace {

// The icon as a picture: '.' white, '-' light grey, '+' dark grey, '#' black.
// A calendar page with a tick.
constexpr std::array<std::string_view, TITLE_ICON_SIZE> kIconPicture{{
    "----##----##----",
    "-##############-",
    "-#++++++++++++#-",
    "-#++++++++++++#-",
    "-##############-",
    "-#............#-",
    "-#..........#.#-",
    "-#.........##.#-",
    "-#.#......##..#-",
    "-#.##....##...#-",
    "-#..##..##....#-",
    "-#...####.....#-",
    "-#....##......#-",
    "-#............#-",
    "-##############-",
    "----------------",
}};

constexpr int IconLevel(char c) { return c == '#' ? 3 : c == '+' ? 2 : c == '-' ? 1 : 0; }

constexpr std::array<unsigned char, TITLE_ICON_BYTES> BuildIcon() {
  std::array<unsigned char, TITLE_ICON_BYTES> out{};
  constexpr std::string_view header = "#ZBV000100160016";
  for (std::size_t i = 0; i < header.size(); ++i) out[i] = static_cast<unsigned char>(header[i]);
  for (int y = 0; y < TITLE_ICON_SIZE; ++y)
    for (int x = 0; x < TITLE_ICON_SIZE; ++x) {
      const std::size_t at = ZEB_BITMAP_HEADER + static_cast<std::size_t>(y * 4 + x / 4);
      out[at] = static_cast<unsigned char>(out[at] | IconLevel(kIconPicture[y][x]) << ((x & 3) * 2));
    }
  return out;
}

static_assert(ZEB_BITMAP_HEADER + TITLE_ICON_SIZE * TITLE_ICON_SIZE / 4 == TITLE_ICON_BYTES);

constexpr int kIconPixelBytes = TITLE_ICON_SIZE * TITLE_ICON_SIZE / 4;
constexpr int kTitleHeight = 20;     // edge box; the line below it is row 20
constexpr int kTextX = 22;
constexpr int kTextY = 2;
constexpr int kIconX = 2;
constexpr int kIconY = 2;
constexpr int kClockY = 2;
constexpr int kClockW = 36;
constexpr int kClockH = 16;
constexpr int kClockTextDx = 3;
constexpr int kClockTextY = 4;

struct TitleState {
  char text[TITLE_TEXT_BYTES];
  std::uint8_t iconPixels[TITLE_ICON_BYTES];
  ZebBitmap icon;
  int flags;
  int width;
  std::int64_t lastMinute;
};

TitleState title{};

// The browse screen's function-key bar.
struct Slot {
  const char* label;  // exactly 8 bytes; null: the slot is empty
  int command;
};
constexpr std::array<Slot, cap::kToolbarSlots> kBrowseSlots{{
    {" \x83\x77\x83\x8b\x83\x76 ", CMD_HELP},      // " ヘルプ " help
    {"  \x92\xc7\x89\xc1  ", CMD_ADD_SCHEDULE},    // "  追加  " add schedule
    {" \x83\x5e\x83\x58\x83\x4e ", CMD_ADD_TASK},  // " タスク " add task
    {nullptr, 0},
    {"   \x8d\xa1   ", CMD_NOW},                   // "   今   " now
    {"  \x95\x5c\x8e\xa6  ", CMD_CHANGE_SIZE},     // "  表示  " display size
    {" \x82\x52\x83\x96\x8c\x8e ", CMD_CALENDAR},  // " ３ヶ月 " calendar
    {" \x90\x94\x8f\x54\x8a\xd4 ", CMD_WEEKS},     // " 数週間 " several weeks
    {" \x82\x50\x8f\x54\x8a\xd4 ", CMD_WEEK},      // " １週間 " one week
    {"  \x82\x50\x93\xfa  ", CMD_DAY},             // "  １日  " one day
}};

// "%4d年%2d月%2d日(%s)"
constexpr const char* kDateFormat = "%4d\x94\x4e%2d\x8c\x8e%2d\x93\xfa(%s)";
// The same followed by the label's name.
constexpr const char* kDateLabelFormat = "%4d\x94\x4e%2d\x8c\x8e%2d\x93\xfa(%s) %8s";

// A text cut to its buffer ends before a double-byte character it would
// split.
void DropSplitCharacter(char* text) {
  std::size_t at = 0;
  while (text[at] != '\0') {
    if (Zeb_IsLeadByte(static_cast<unsigned char>(text[at]))) {
      if (text[at + 1] == '\0') {
        text[at] = '\0';
        return;
      }
      ++at;
    }
    ++at;
  }
}

int ClockX() { return (title.flags & TITLE_NARROW) ? TITLE_NARROW_CLOCK_X : TITLE_CLOCK_X; }

void DrawTitleLine() {
  ZebContext& ctx = nwContext;
  ZebRect box{0, 0, title.width, kTitleHeight};
  Zeb_DrawEdge(ctx, box);
  ZebRect inside{1, 1, title.width - 2, kTitleHeight - 2};
  Zeb_SetColor(ctx, ZEB_LIGHT_GREY);
  Zeb_FillBox(ctx, inside);
  Zeb_SetColor(ctx, ZEB_BLACK);
  Zeb_DrawLine(ctx, 0, kTitleHeight, title.width - 1, kTitleHeight);
  Zeb_SetFont(ctx, ZEB_FONT_16);
  Zeb_SetTextStyle(ctx, ZEB_STYLE_BOLD);
  // A long title stops at the title's right edge (narrow: the dialog's side).
  Zeb_DrawTextClipped(ctx, kTextX, kTextY, title.text, TITLE_TEXT_BYTES, 0, 0, title.width - 1, kTitleHeight);
  Zeb_SetTextStyle(ctx, ZEB_STYLE_PLAIN);
  if (title.flags & TITLE_SHOW_CLOCK) Title_Clock(true);
  if (title.flags & TITLE_SHOW_ICON)
    Zeb_PutBitmap(ctx, kIconX, kIconY, 0, 0, title.icon, TITLE_ICON_SIZE, TITLE_ICON_SIZE);
}

void PostRedrawToChildren(nwObject* object) {
  for (std::size_t i = 0; i < cap::kChildren; ++i)
    if (object->childUsed[i]) nwEvent_PostTo(object->children[i], NW_REDRAW);
}

void OnCreate(nwObject* object, nwMessage* message) {
  nwObject_DefaultHandler(object, message);
  nwFocus_Set(object);
  nwEvent_PostTo(object, NW_SET_BACK_COLOR, ZEB_LIGHT_GREY);
  std::memset(title.iconPixels, 0, sizeof title.iconPixels);
  Zeb_InitBitmap(title.icon, title.iconPixels, TITLE_ICON_SIZE, TITLE_ICON_SIZE);
  title.flags = TITLE_SHOW_ICON | TITLE_SHOW_CLOCK;
  title.width = TITLE_WIDTH;
}

void OnSetStyle(const nwMessage* message) {
  if (message->param2 == 1) {
    title.flags |= message->param;
  } else {
    title.flags &= ~message->param;
  }
  title.width = (title.flags & TITLE_NARROW) ? TITLE_NARROW_WIDTH : TITLE_WIDTH;
}

void OnSetText(const nwMessage* message) {
  const char* text = static_cast<const char*>(message->ptr);
  std::snprintf(title.text, sizeof title.text, "%s", text ? text : "");
  DropSplitCharacter(title.text);
}

// Only a 16 x 16 picture is taken; anything else leaves the icon as it is.
void OnSetIcon(const nwMessage* message) {
  if (!message->ptr) return;
  const std::size_t size = message->param > 0 ? static_cast<std::size_t>(message->param) : TITLE_ICON_BYTES;
  ZebBitmapText bitmap{};
  if (!Zeb_ParseBitmapHeader(message->ptr, size, bitmap)) return;
  if (bitmap.width != TITLE_ICON_SIZE || bitmap.height != TITLE_ICON_SIZE) return;
  std::memcpy(title.iconPixels, bitmap.pixels, kIconPixelBytes);
}

}  // namespace

const std::array<unsigned char, TITLE_ICON_BYTES> Title_Icon = BuildIcon();

void Title_Set(const char* text) {
  char line[TITLE_FORMAT_BYTES];
  std::snprintf(line, sizeof line, "Velmo  %s", text ? text : "");
  DropSplitCharacter(line);
  nwEvent_SendTo(&titleBar, NW_SET_TEXT, 0, 0, line);
  nwEvent_PostTo(&titleBar, NW_REDRAW);
}

void Title_FormatDateLine(char* out, std::size_t size) {
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(browse.cursorDate, year, month, mday);
  const char* weekday = WeekdayName[DayNo_Weekday(browse.cursorDate)];
  if (browse.currentLabel != 0) {
    std::snprintf(out, size, kDateLabelFormat, year, month, mday, weekday, Label_Name(browse.currentLabel));
  } else {
    std::snprintf(out, size, kDateFormat, year, month, mday, weekday);
  }
}

void Title_DateLine() {
  char line[TITLE_FORMAT_BYTES];
  Title_FormatDateLine(line, sizeof line);
  Title_Set(line);
}

void Title_FillBrowseToolbar() {
  for (std::size_t i = 0; i < kBrowseSlots.size(); ++i) {
    const Slot& slot = kBrowseSlots[i];
    const int n = static_cast<int>(i);
    if (slot.label) {
      nwEvent_PostTo(&toolbar, NW_SET_TEXT, n, slot.command, const_cast<char*>(slot.label));
    } else {
      nwEvent_PostTo(&toolbar, NW_UNSET_TEXT, n);
    }
  }
}

void Title_Clock(bool forced) {
  DateClock now{};
  Date_ReadClock(now);
  const std::int64_t minute = now.seconds / 60;
  if (!forced && minute == title.lastMinute) return;
  ZebContext& ctx = nwContext;
  const int x = ClockX();
  ZebRect box{x, kClockY, kClockW, kClockH};
  Zeb_DrawEdge(ctx, box);
  ZebRect inside = box;
  ZebRect_Inset(inside, 1, 1);
  Zeb_SetColor(ctx, ZEB_LIGHT_GREY);
  Zeb_FillBox(ctx, inside);
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", now.hour % 100, now.minute % 100);
  Zeb_SetFont(ctx, ZEB_FONT_12);
  Zeb_SetColor(ctx, ZEB_BLACK);
  Zeb_DrawText(ctx, x + kClockTextDx, kClockTextY, text, static_cast<int>(std::strlen(text)));
  title.lastMinute = minute;
  Zeb_Update(ctx);
}

const char* Title_Text() { return title.text; }

bool Title_Handler(nwObject* object, nwMessage* message) {
  switch (message->code) {
    case NW_CREATE:
      OnCreate(object, message);
      return true;
    case NW_DESTROY:
      nwObject_DefaultHandler(object, message);
      nwEvent_PostTo(nullptr, NW_QUIT);
      return true;
    case NW_TIMER:
      if (object->visible && (title.flags & TITLE_SHOW_CLOCK)) Title_Clock(false);
      return nwObject_DefaultHandler(object, message);
    case NW_REDRAW:
      if (!object->visible) return true;
      DrawTitleLine();
      PostRedrawToChildren(object);
      return true;
    case NW_SET_STYLE:
      OnSetStyle(message);
      return true;
    case NW_SET_TEXT:
      OnSetText(message);
      return true;
    case NW_SET_ICON:
      OnSetIcon(message);
      return true;
    default:
      return nwObject_DefaultHandler(object, message);
  }
}
