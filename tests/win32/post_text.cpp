// post_text TITLE UNIT...: posts WM_CHAR with each UTF-16 code unit (hex) to
// the top-level window titled TITLE, as a keyboard without an input method
// types them: the window test's way to type Japanese under any code page
// without the X keymap changes xdotool makes for characters it lacks.
// Exit status 0, 1 when there is no such window, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: post_text TITLE UNIT...\n");
    return 2;
  }
  wchar_t title[256];
  if (MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, title, 256) == 0) return 2;
  HWND window = FindWindowW(nullptr, title);
  if (window == nullptr) {
    std::fprintf(stderr, "post_text: no window titled %s\n", argv[1]);
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    char* end = nullptr;
    const unsigned long unit = std::strtoul(argv[i], &end, 16);
    if (*end != '\0' || unit == 0 || unit > 0xFFFF) return 2;
    PostMessageW(window, WM_CHAR, unit, 1);
  }
  return 0;
}
