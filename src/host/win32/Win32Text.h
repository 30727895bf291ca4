// Text between the window and the application: Shift-JIS to and from UTF-16
// through the one table (text/Cp932.h), never through the system code page,
// so the window reads and shows the same under every code page.
#pragma once

#include <cstddef>
#include <string_view>

// Shift-JIS to UTF-16 into out of size units, NUL-terminated, cut at a whole
// character; a byte that starts no character becomes U+FFFD. Returns the
// units written.
std::size_t Win32Text_ToWide(std::string_view sjis, wchar_t* out, std::size_t size);

// Typed UTF-16 arrives one code unit a message; a pair's first half waits here.
struct Win32TextInput {
  unsigned high = 0;
};
// The Shift-JIS code (a byte, or lead * 256 + trail) of the typed unit: "〓"
// for a character Shift-JIS lacks or a second half without its first; -1
// while a first half waits, or for NUL. A first half not followed by its
// second is dropped.
int Win32Text_Code(Win32TextInput& input, unsigned unit);
