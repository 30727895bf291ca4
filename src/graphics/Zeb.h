// Zeb: the graphics layer. One 2-bit frame buffer (four pixels a byte, the
// leftmost pixel in the two low bits), one drawing context, primitives that
// clip silently and report what they touch to the dirty rectangle, and
// Shift-JIS text drawn a glyph at a time from the host's glyph source.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/ShiftJis.h"

// ---------------------------------------------------------------------------
// Records

struct ZebRect {
  std::int32_t x, y;  // top-left pixel
  std::int32_t w, h;  // size in pixels
};
static_assert(sizeof(ZebRect) == 16, "four signed 32-bit fields");

// The one drawing context of the system, the screen context.
struct ZebContext {
  int color;             // pen as last set through the context (0..4)
  int reserved[3];       // 0
  int reservedColor[2];  // 3 and 1
  int font;              // font number 1..5
  int cellWidth;         // advance of a double-byte character
  int cellHeight;        // character height
};

// An off-screen 2-bit image in frame-buffer layout; also describes the
// frame buffer itself (flags 0).
struct ZebBitmap {
  std::uint32_t flags;    // ZEB_BITMAP_OWNS_*
  int bytesPerRow;        // (width + 3) / 4
  int width;
  int height;
  std::uint8_t* pixels;
};

// The "#ZBV" bitmap text: the pixels follow the 16-byte header.
struct ZebBitmapText {
  const std::uint8_t* pixels;
  int width;
  int height;
  int byteCount;          // height * bytes per row
};

// The text metrics of the layer, set by Zeb_SetFont and Zeb_SetTextStyle.
struct ZebTextMetrics {
  int glyphSize;          // glyph height = full-width glyph width
  int fullWidth;          // = glyphSize
  int halfWidth;          // = glyphSize / 2
  int style;              // ZEB_STYLEBIT_*
};

// One glyph mask from the host: `height` rows; bit k of rows[r] is ink at
// column k (k < width <= 32).
struct ZebGlyph {
  int width;
  int height;
  const std::uint32_t* rows;
};

// ---------------------------------------------------------------------------
// Constants

// Grey levels (pixel values) and the invert pen.
inline constexpr int ZEB_WHITE = 0;
inline constexpr int ZEB_LIGHT_GREY = 1;
inline constexpr int ZEB_DARK_GREY = 2;
inline constexpr int ZEB_BLACK = 3;
inline constexpr int ZEB_INVERT = 4;

// How a host shows a level as 8-bit grey (0 = black).
constexpr int Zeb_HostGrey(int level) { return 255 - 85 * level; }

inline constexpr std::uint32_t ZEB_BITMAP_OWNS_RECORD = 1;
inline constexpr std::uint32_t ZEB_BITMAP_OWNS_PIXELS = 2;

// Font numbers (glyph size in the name); 0 and anything above 5 mean font 1.
inline constexpr int ZEB_FONT_12 = 1;
inline constexpr int ZEB_FONT_16 = 2;
inline constexpr int ZEB_FONT_24 = 3;
inline constexpr int ZEB_FONT_7 = 4;
inline constexpr int ZEB_FONT_8 = 5;

// The font table: glyph size and the cell of a double-byte character (a
// single-byte one takes half its width).
struct ZebFont {
  int glyphSize;
  int cellWidth;
  int cellHeight;
};
// Indexed by font number; 0 stands for font 1.
inline constexpr ZebFont ZEB_FONTS[6] = {
    {12, 12, 12}, {12, 12, 12}, {16, 16, 16}, {24, 24, 24}, {7, 16, 8}, {8, 10, 8},
};
constexpr const ZebFont& Zeb_Font(int font) { return ZEB_FONTS[font >= 1 && font <= 5 ? font : ZEB_FONT_12]; }
// A half-width character's advance and a line's height in the font.
constexpr int Zeb_CharWidth(int font) { return Zeb_Font(font).cellWidth / 2; }
constexpr int Zeb_CharHeight(int font) { return Zeb_Font(font).cellHeight; }

// Zeb_SetTextStyle arguments.
inline constexpr int ZEB_STYLE_PLAIN = 0;
inline constexpr int ZEB_STYLE_BOLD = 1;
inline constexpr int ZEB_STYLE_SLANTED = 2;
// Style bits of ZebTextMetrics.style.
inline constexpr int ZEB_STYLEBIT_SLANTED = 1;
inline constexpr int ZEB_STYLEBIT_BOLD = 2;

inline constexpr int ZEB_MAX_GLYPH = 32;     // widest and tallest glyph mask
inline constexpr int ZEB_BITMAP_HEADER = 16; // bytes before the pixels

// Screen size (640 x 240), read-only outside ZebScreen.cpp; the program sets
// it before Zeb_OpenScreen.
extern const int& zebScreenWidth;
extern const int& zebScreenHeight;
void Zeb_SetScreenSize(int width, int height);

// ---------------------------------------------------------------------------
// Rectangles

void ZebRect_Set(ZebRect& rect, int x, int y, int w, int h);
void ZebRect_SetCorners(ZebRect& rect, int x1, int y1, int x2, int y2);  // inclusive
void ZebRect_Inset(ZebRect& rect, int dx, int dy);
void ZebRect_Offset(ZebRect& rect, int dx, int dy);
void ZebRect_Copy(ZebRect& destination, const ZebRect& source);

// ---------------------------------------------------------------------------
// Screen and context

// Allocates (once) and clears the frame buffer, pen 3, initialises ctx.
// Without memory: "malloc of physical_screen" as a debug message, exit status 1.
void Zeb_OpenScreen(ZebContext& ctx);
void Zeb_CloseScreen(ZebContext& ctx);       // text metrics to size 0
void Zeb_Update(ZebContext& ctx);            // end of a drawing step
void Zeb_SetColor(ZebContext& ctx, int level);

// Shows a text in the host's "Zeb Debug Message" box.
void Zeb_DebugMessage(const char* text);

const ZebBitmap& Zeb_Screen();               // the frame buffer record
int Zeb_Pen();                               // current pen 0..4
int Zeb_GetPixel(int x, int y);              // level, or -1 outside

// ---------------------------------------------------------------------------
// Drawing (current pen; clipped to the frame buffer)

void Zeb_DrawPixel(ZebContext& ctx, int x, int y);
void Zeb_DrawLine(ZebContext& ctx, int x1, int y1, int x2, int y2);
void Zeb_DrawBox(ZebContext& ctx, const ZebRect& rect);
void Zeb_FillBox(ZebContext& ctx, const ZebRect& rect);
void Zeb_InvertBox(ZebContext& ctx, const ZebRect& rect);  // leaves pen 3
void Zeb_DrawEdge(ZebContext& ctx, const ZebRect& rect);   // leaves pen 2
// The raised frame of windows, buttons and key slots: rect filled with back,
// a black box round it and the edge just inside. Leaves pen 2.
void Zeb_DrawRaisedFrame(ZebContext& ctx, const ZebRect& rect, int back);
void Zeb_ScrollBox(ZebContext& ctx, const ZebRect& rect, int dx, int dy);

// ---------------------------------------------------------------------------
// Bitmaps

// Wraps `pixels` (or allocates height * bytesPerRow bytes when null) in a
// record the layer allocates, and clears the pixels. Null on a bad size or
// without memory.
ZebBitmap* Zeb_CreateBitmap(ZebContext& ctx, std::uint8_t* pixels, int w, int h);
void Zeb_FreeBitmap(ZebContext& ctx, ZebBitmap* bitmap);
// Wraps caller memory of h * ((w + 3) / 4) bytes in a caller record, without
// allocating or clearing. False on a bad size.
bool Zeb_InitBitmap(ZebBitmap& bitmap, std::uint8_t* pixels, int w, int h);
// Copies w x h pixels at (sx, sy) of bitmap to (dx, dy) of the frame buffer;
// a negative w or h means up to the bitmap's edge.
void Zeb_PutBitmap(ZebContext& ctx, int dx, int dy, int sx, int sy,
                   const ZebBitmap& bitmap, int w, int h);
// Reads "#ZBV" vvvv wwww hhhh and checks that the pixels are all there.
bool Zeb_ParseBitmapHeader(const void* bytes, std::size_t size, ZebBitmapText& out);

// ---------------------------------------------------------------------------
// Dirty rectangle

void Zeb_MarkDirty(int x1, int y1, int x2, int y2);  // inclusive, clamped
bool Zeb_GetDirty(ZebRect& box);   // pixels touched since the last clear
void Zeb_ClearDirty();
// Overdraw watch, independent of the dirty rectangle: Zeb_WatchEnd tells
// whether a report touched `rect` since Zeb_WatchStart, and stops watching.
void Zeb_WatchStart(const ZebRect& rect);
bool Zeb_WatchEnd();
// Writes host greys of the frame-buffer pixels of box (clipped, widened to
// the left to a multiple of 4) into a screen-sized grey image whose row y
// starts at grey + y * stride.
void Zeb_ToGrey(const ZebRect& box, std::uint8_t* grey, int stride);

// ---------------------------------------------------------------------------
// Fonts and text

void Zeb_SetFont(ZebContext& ctx, int font);
void Zeb_SetTextStyle(ZebContext& ctx, int style);  // ZEB_STYLE_*
const ZebTextMetrics& Zeb_GetTextMetrics();
// Draws at most `count` bytes of Shift-JIS text, stopping at a NUL; (x, y)
// is the top-left of the first cell.
void Zeb_DrawText(ZebContext& ctx, int x, int y, const char* text, int count);
// As Zeb_DrawText, but only pixels with x1 <= px < x2, y1 <= py < y2 are set.
void Zeb_DrawTextClipped(ZebContext& ctx, int x, int y, const char* text, int count,
                         int x1, int y1, int x2, int y2);
constexpr bool Zeb_IsLeadByte(unsigned char byte) { return ShiftJis_IsLead(byte); }
constexpr bool Zeb_IsTrailByte(unsigned char byte) { return ShiftJis_IsTrail(byte); }
bool Zeb_LoadFont(const char* fileName, int cellWidth, int cellHeight);  // true, reads nothing
// Widget metrics of fonts 1..4 (Zeb_CharWidth, Zeb_CharHeight); 0 for any
// other number.
constexpr int Zeb_FontAdvance(int font) { return font >= 1 && font <= 4 ? Zeb_CharWidth(font) : 0; }
constexpr int Zeb_FontLineHeight(int font) { return font >= 1 && font <= 4 ? Zeb_CharHeight(font) : 0; }

// ---------------------------------------------------------------------------
// Host glyph service (the host's renderGlyph operation): the ink mask of a Shift-JIS
// character code (lead * 256 + trail, or a byte < 0x100) at a glyph size of
// 1..32 pixels: size rows of size (double-byte) or size / 2 columns. The rows
// stay valid until the host closes its glyph source. False when there is no
// glyph (an unassigned or malformed code, or no font).
bool Zeb_RenderGlyph(unsigned code, int size, ZebGlyph& out);
