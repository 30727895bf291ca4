// The Linux hosts' glyph source: Japanese bitmap fonts read with FreeType,
// each glyph rendered once and kept. Defines Zeb_RenderGlyph.
#pragma once

// Checks the font files. On a missing or unreadable file returns false and
// points *failure (when given) at one line, without a program name, naming
// the file and the Debian package that provides it. Opening an open source
// does nothing. Zeb_RenderGlyph opens the source itself if nobody did, and
// each font face when a glyph of it is first needed; a face that then fails
// to load gives no glyphs.
bool ZebGlyph_Open(const char** failure);
// Releases the fonts and every cached glyph mask.
void ZebGlyph_Close();
// Glyphs rendered by FreeType since the source was opened (each at most once).
long ZebGlyph_RenderCount();
