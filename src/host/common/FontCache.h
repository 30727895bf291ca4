// Uncompressed copies of gzip-compressed font files under
// $XDG_CACHE_HOME/velmo (else ~/.cache/velmo), so that a start reads only the
// parts of a font it uses instead of inflating the whole file every time.
#pragma once

#include <cstddef>

// The path of the uncompressed copy of the gzip file `gz`, written first if
// there is none for the file's current size and modification time. False
// (out untouched) when there is no cache folder or the copy cannot be made:
// the caller then reads `gz` itself.
bool FontCache_Path(const char* gz, char* out, std::size_t size);
