#include "shell/Title.h"

#include <array>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "calendar/Date.h"
#include "text/ShiftJis.h"
#include "views/Screen.h"

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
constexpr int kTitleHeight = SCREEN_TITLE_BAND.h;  // edge box; the line below it is row 20
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
  const char* text = nwMessage_Ptr<const char>(message);
  std::snprintf(title.text, sizeof title.text, "%s", text ? text : "");
  ShiftJis_Truncate(title.text, sizeof title.text);  // never ends on half a character
}

// Only a 16 x 16 picture is taken; anything else leaves the icon as it is.
void OnSetIcon(const nwMessage* message) {
  assert(message->ptr != nullptr && "the program sends its own icon");
  if (!message->ptr) return;
  const std::size_t size = message->param > 0 ? static_cast<std::size_t>(message->param) : TITLE_ICON_BYTES;
  ZebBitmapText bitmap{};
  if (!Zeb_ParseBitmapHeader(message->ptr, size, bitmap)) return;
  if (bitmap.width != TITLE_ICON_SIZE || bitmap.height != TITLE_ICON_SIZE) return;
  std::memcpy(title.iconPixels, bitmap.pixels, kIconPixelBytes);
}

}  // namespace

const std::array<unsigned char, TITLE_ICON_BYTES> Title_Icon = BuildIcon();

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
