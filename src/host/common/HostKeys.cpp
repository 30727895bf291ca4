#include "host/common/HostKeys.h"

#include <algorithm>
#include <array>
#include <span>

#include "graphics/ZebKey.h"
#include "text/Cp932.h"

namespace {

// Scan codes of the keys that arrive as special keys (scan code x 256).
struct SpecialKey {
  int key;
  int scan;
};
constexpr std::array<SpecialKey, 20> kSpecial{{
    {HOSTKEY_F1 + 0, 0x3B}, {HOSTKEY_F1 + 1, 0x3C}, {HOSTKEY_F1 + 2, 0x3D},
    {HOSTKEY_F1 + 3, 0x3E}, {HOSTKEY_F1 + 4, 0x3F}, {HOSTKEY_F1 + 5, 0x40},
    {HOSTKEY_F1 + 6, 0x41}, {HOSTKEY_F1 + 7, 0x42}, {HOSTKEY_F1 + 8, 0x43},
    {HOSTKEY_F1 + 9, 0x44}, {HOSTKEY_HOME, 0x47},   {HOSTKEY_UP, 0x48},
    {HOSTKEY_PAGEUP, 0x49}, {HOSTKEY_LEFT, 0x4B},   {HOSTKEY_RIGHT, 0x4D},
    {HOSTKEY_END, 0x4F},    {HOSTKEY_DOWN, 0x50},   {HOSTKEY_PAGEDOWN, 0x51},
    {HOSTKEY_INSERT, 0x52}, {HOSTKEY_DELETE, 0x53},
}};
constexpr int kHenkanScan = 0x79;
constexpr int kMuhenkanScan = 0x7B;

constexpr int kCtrlReturn = 10;  // CTRL+J, as the window's character input gives it

// Script names of the non-character keys.
struct KeyName {
  std::string_view name;
  int key;
};
constexpr std::array<KeyName, 28> kNames{{
    {"RET", HOSTKEY_RETURN},  {"ESC", HOSTKEY_ESCAPE},    {"TAB", HOSTKEY_TAB},
    {"BS", HOSTKEY_BACKSPACE}, {"SPC", ' '},              {"DEL", HOSTKEY_DELETE},
    {"INS", HOSTKEY_INSERT},  {"HOME", HOSTKEY_HOME},     {"END", HOSTKEY_END},
    {"UP", HOSTKEY_UP},       {"DOWN", HOSTKEY_DOWN},     {"LEFT", HOSTKEY_LEFT},
    {"RIGHT", HOSTKEY_RIGHT}, {"PGUP", HOSTKEY_PAGEUP},   {"PGDN", HOSTKEY_PAGEDOWN},
    {"F1", HOSTKEY_F1 + 0},   {"F2", HOSTKEY_F1 + 1},     {"F3", HOSTKEY_F1 + 2},
    {"F4", HOSTKEY_F1 + 3},   {"F5", HOSTKEY_F1 + 4},     {"F6", HOSTKEY_F1 + 5},
    {"F7", HOSTKEY_F1 + 6},   {"F8", HOSTKEY_F1 + 7},     {"F9", HOSTKEY_F1 + 8},
    {"F10", HOSTKEY_F1 + 9},  {"HENKAN", HOSTKEY_HENKAN}, {"MUHENKAN", HOSTKEY_MUHENKAN},
    {"SPACE", ' '},
}};

// US keyboard: unshifted and shifted characters of the non-letter keys.
constexpr std::string_view kUnshifted = "`1234567890-=[]\\;',./";
constexpr std::string_view kShifted = "~!@#$%^&*()_+{}|:\"<>?";

int ScanOf(int key) {
  if (key == HOSTKEY_HENKAN) return kHenkanScan;
  if (key == HOSTKEY_MUHENKAN) return kMuhenkanScan;
  for (const SpecialKey& s : kSpecial)
    if (s.key == key) return s.scan;
  return 0;
}

int SpecialCode(int scan, unsigned mods) {
  return Key_Special(scan << 8, (mods & HOSTMOD_SHIFT) != 0, (mods & HOSTMOD_CTRL) != 0);
}

// Keys that the window's character input turns into control characters.
int ControlKeyCode(int key, unsigned mods) {
  switch (key) {
    case HOSTKEY_RETURN: return (mods & HOSTMOD_CTRL) ? kCtrlReturn : KEY_RETURN;
    case HOSTKEY_ESCAPE: return KEY_ESCAPE;
    case HOSTKEY_BACKSPACE: return KEY_BACKSPACE;
    case HOSTKEY_TAB: return (mods & HOSTMOD_SHIFT) ? KEY_SHIFT_TAB : KEY_TAB;
    default: return -1;
  }
}

bool IsLetter(int ch) { return ch >= 'a' && ch <= 'z'; }

int CharacterCode(int ch, unsigned mods) {
  const bool shift = (mods & HOSTMOD_SHIFT) != 0;
  if (mods & HOSTMOD_CTRL) {
    if (IsLetter(ch)) return Key_Control(ch, shift);
    return ch == ' ' ? ' ' : -1;
  }
  return shift ? HostKeys_Shifted(ch) : ch;
}

}  // namespace

int HostKeys_TextKey(unsigned char byte, bool lineFeeds) {
  if (byte == '\n') return lineFeeds ? HostKeys_Code('j', HOSTMOD_CTRL) : ' ';
  return byte >= 0x20 && byte != 0x7F ? byte : -1;
}

int HostKeys_Shifted(int ch) {
  if (IsLetter(ch)) return ch - 'a' + 'A';
  const std::size_t at = kUnshifted.find(static_cast<char>(ch));
  return at == std::string_view::npos ? ch : kShifted[at];
}

int HostKeys_Code(int key, unsigned mods) {
  if (key >= 32 && key <= 126) return CharacterCode(key, mods);
  const int control = ControlKeyCode(key, mods);
  if (control >= 0) return control;
  const int scan = ScanOf(key);
  return scan ? SpecialCode(scan, mods) : -1;
}

namespace {

// A printable character written for itself: upper case and shifted symbols
// are the unshifted key with SHIFT.
int CharacterKey(char ch, unsigned& mods) {
  if (ch >= 'A' && ch <= 'Z') {
    mods |= HOSTMOD_SHIFT;
    return ch - 'A' + 'a';
  }
  const std::size_t at = kShifted.find(ch);
  if (at != std::string_view::npos) {
    mods |= HOSTMOD_SHIFT;
    return kUnshifted[at];
  }
  return static_cast<unsigned char>(ch);
}

int NamedKey(std::string_view name, unsigned& mods) {
  if (name.size() == 1 && name[0] > 32 && name[0] < 127) return CharacterKey(name[0], mods);
  for (const KeyName& k : kNames)
    if (k.name == name) return k.key;
  return HOSTKEY_NONE;
}

}  // namespace

bool HostKeys_ParseName(std::string_view name, int& key, unsigned& mods) {
  mods = 0;
  while (name.size() > 2 && name[1] == '-' && (name[0] == 'C' || name[0] == 'S')) {
    mods |= name[0] == 'C' ? HOSTMOD_CTRL : HOSTMOD_SHIFT;
    name.remove_prefix(2);
  }
  key = NamedKey(name, mods);
  return key != HOSTKEY_NONE;
}

bool HostKeys_Parse(std::string_view name, int& code) {
  int key = 0;
  unsigned mods = 0;
  if (!HostKeys_ParseName(name, key, mods)) return false;
  code = HostKeys_Code(key, mods);
  return code >= 0;
}

namespace {

constexpr std::array<HostShortcut, 19> kShortcuts{{
    {'r', HOSTACT_RESTART, 0, "Restart (not implemented)"},
    {'s', HOSTACT_STOP, 0, "Stop (not implemented)"},
    {'x', HOSTACT_EXIT, 0, "Exit: save and quit"},
    {'a', HOSTACT_ABOUT, 0, "About"},
    {'e', HOSTACT_COMMAND, 4530, "export every entry to task.csv"},
    {'1', HOSTACT_COMMAND, 4518, "three-month calendar"},
    {'2', HOSTACT_COMMAND, 4519, "several-weeks view"},
    {'3', HOSTACT_COMMAND, 4520, "one-week view"},
    {'4', HOSTACT_COMMAND, 4521, "one-day view"},
    {'d', HOSTACT_COMMAND, 4517, "change display size"},
    {'n', HOSTACT_COMMAND, 4510, "add a schedule"},
    {'t', HOSTACT_COMMAND, 4511, "add a task"},
    {'h', HOSTACT_COMMAND, 4512, "add a holiday"},
    {'f', HOSTACT_COMMAND, 4515, "search"},
    {'g', HOSTACT_COMMAND, 4516, "search next"},
    {'7', HOSTACT_COMMAND, 3009, "command 3009 (not implemented)"},
    {'8', HOSTACT_COMMAND, 4502, "command 4502 (not implemented)"},
    {'9', HOSTACT_COMMAND, 4522, "command 4522 (not implemented)"},
    {'0', HOSTACT_COMMAND, 4504, "command 4504 (does nothing)"},
}};

}  // namespace

const HostShortcut* HostKeys_Shortcut(int key) {
  for (const HostShortcut& s : kShortcuts)
    if (s.key == key) return &s;
  return nullptr;
}

std::span<const HostShortcut> HostKeys_Shortcuts() { return kShortcuts; }

int HostKeys_ToShiftJis(std::string_view utf8, char* out, std::size_t size) {
  const long n = Cp932_FromUtf8(utf8, out, size, nullptr);
  return n < 0 ? -1 : static_cast<int>(n);
}

void HostKeys_ToUtf8(const char* sjis, char* out, std::size_t size) {
  Cp932_ToUtf8Cut(sjis ? sjis : "", out, size, '?');
}
