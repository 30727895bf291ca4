#include "store/Label.h"

#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "store/MonthRec.h"
#include "text/ShiftJis.h"

namespace {

constexpr unsigned kLabelLine = 80;  // a label-file line: at most 79 characters

// Shift-JIS defaults, centred in eight cells.
constexpr const char* kDefaultNames[LABEL_NAMES] = {
    "  \x8b\xa4\x92\xca  ",      // "  共通  "
    " \x95\xaa\x97\xde\x82\x50 ",  // " 分類１ "
    " \x95\xaa\x97\xde\x82\x51 ",  // " 分類２ "
    " \x95\xaa\x97\xde\x82\x52 ",  // " 分類３ "
    " \x95\xaa\x97\xde\x82\x53 ",  // " 分類４ "
    "\x83\x4a\x83\x58\x83\x5e\x83\x80",  // "カスタム"
};

char names[LABEL_NAMES][cap::kLabelNameBuffer];

// Reads one line into buf, without its line end; the rest of an overlong line
// is dropped so that it cannot pose as the next line. False at end of file.
bool ReadLine(std::FILE* f, char* buf, int size) {
  if (std::fgets(buf, size, f) == nullptr) return false;
  std::size_t length = std::strlen(buf);
  if (length > 0 && buf[length - 1] == '\n') {
    buf[--length] = '\0';
  } else {
    for (int c = std::fgetc(f); c != EOF && c != '\n'; c = std::fgetc(f)) {
    }
  }
  if (length > 0 && buf[length - 1] == '\r') buf[length - 1] = '\0';
  return true;
}

void CopyName(std::uint16_t n, const char* text) {
  std::snprintf(names[n], sizeof names[n], "%.8s", text);
}

// The format that roughly centres a text of this many bytes in eight cells.
const char* CentreFormat(std::size_t length) {
  if (length <= 2) return "   %-5s";
  if (length <= 4) return "  %-6s";
  if (length <= 6) return " %-7s";
  return "%-8s";
}

}  // namespace

bool Label_InitNames() {
  for (std::uint16_t n = 0; n < LABEL_NAMES; ++n) CopyName(n, kDefaultNames[n]);
  return true;
}

bool Label_SetName(std::uint16_t n, const char* text) {
  if (n < LABEL_USER_FIRST || n > LABEL_USER_LAST || text == nullptr) return false;
  char cut[cap::kLabelNameBuffer];
  std::snprintf(cut, sizeof cut, "%s", text);
  ShiftJis_Truncate(cut, LABEL_NAME_BYTES);
  char formatted[cap::kLabelNameBuffer * 2];
  std::snprintf(formatted, sizeof formatted, CentreFormat(std::strlen(cut)), cut);
  CopyName(n, formatted);
  return true;
}

const char* Label_Name(std::uint16_t n) { return n < LABEL_NAMES ? names[n] : ""; }

bool Label_LoadFile(const char* path) {
  std::FILE* f = std::fopen(path, "r");
  if (f == nullptr) return false;
  char line[kLabelLine];
  for (std::uint16_t n = LABEL_USER_FIRST; n <= LABEL_USER_LAST; ++n) {
    if (!ReadLine(f, line, sizeof line)) {
      std::fclose(f);
      return false;
    }
    if (line[0] != '\0') Label_SetName(n, line);
  }
  std::fclose(f);
  return true;
}
