// The Linux hosts' glyph source: Japanese bitmap fonts read with FreeType,
// each glyph rendered once and kept: the hosts' renderGlyph operation.
#pragma once

#include "graphics/Zeb.h"

// Checks the font files. On a missing or unreadable file returns false and
// points *failure (when given) at one line, without a program name, naming
// the file and the Debian package that provides it. Opening an open source
// does nothing. ZebGlyph_Render opens the source itself if nobody did, and
// each font face when a glyph of it is first needed; a face that then fails
// to load gives no glyphs.
bool ZebGlyph_Open(const char** failure);
// Zeb_RenderGlyph of the Linux hosts. A double-byte code (a lead byte and
// any next byte) no font has is drawn as GETA, ZEB_GLYPH_GETA's own mask.
bool ZebGlyph_Render(unsigned code, int size, ZebGlyph& out);
inline constexpr unsigned ZEB_GLYPH_GETA = 0x81AC;  // 〓
// Releases the fonts and every cached glyph mask.
void ZebGlyph_Close();
// Glyphs rendered by FreeType since the source was opened (each at most once).
long ZebGlyph_RenderCount();
