// velmo-headless: Velmo on the headless host, driven by a script on a
// virtual clock, in the data folder (the same rule as velmo's).
//
//   velmo-headless [--folder DIR] [--now YYYY-MM-DDTHH:MM[:SS]] [--script FILE]
//                  [--glyphs none|block] [-- ARGS...]
//
// --glyphs draws no text, or every glyph as a solid block, in place of the
// fonts: the two pictures differ exactly in the cells text covers, so a test
// can compare another host's screen outside them.
//
// Exit status: the application's own (0, 1 after its fatal stop, 4 when
// Velmo already runs on the record file); 1 when the data folder cannot be
// used; 2 for bad options or a script that cannot be read; 3 when a shot
// could not be written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "FolderOptions.h"
#include "NowOption.h"
#include "calendar/Date.h"
#include "dialogs/Notice.h"
#include "files/DataFolder.h"
#include "graphics/ZebHost.h"
#include "host/common/ZebGlyph.h"
#include "host/common/ZebPng.h"
#include "host/headless/Headless.h"
#include "host/headless/Script.h"
#include "shell/Title.h"
#include "shell/Velmo.h"

namespace {

constexpr const char* kProgram = "velmo-headless";
constexpr int kExitUsage = 2;
constexpr int kExitShot = 3;

struct Options {
  const char* folder = nullptr;
  const char* now = nullptr;
  const char* script = nullptr;
  const char* glyphs = nullptr;
  bool where = false;
  std::vector<char*> appArgs;
};

constexpr const char* kUsage =
    "usage: velmo-headless [--folder DIR] [--now YYYY-MM-DDTHH:MM[:SS]] [--script FILE]\n"
    "                      [--glyphs none|block] [-- ARGS...]\n"
    "       velmo-headless --write-icon SIZE FILE.png   (SIZE 16, 32, 48 or 128)\n"
    "       velmo-headless --help | --version | --where\n";
constexpr const char* kTail =
    "The script (standard input without --script) types keys and takes shots;\n"
    "see velmo-headless(1). ARGS go to Velmo.\n";

enum HeadlessOption { OPT_NOW = FOLDER_OPTIONS_NEXT, OPT_SCRIPT, OPT_GLYPHS, OPT_VERSION };
constexpr OptionRow kOptions[] = {
    FolderOptions_kFolder,
    FolderOptions_kWhere,
    NowOption_Row(OPT_NOW, "the virtual clock's start (default now)"),
    {OPT_SCRIPT, "--script", "FILE", "the key script (default standard input)"},
    {OPT_GLYPHS, "--glyphs", "none|block", "draw no text, or blocks, in place of the fonts"},
    {OPT_VERSION, "--version", nullptr, "the release"},
};

int Usage(const char* why) {
  std::fprintf(stderr, "velmo-headless: %s\n%s", why, kUsage);
  return kExitUsage;
}

// Velmo's icon at a whole multiple of its 16 pixels, for the desktop's icon
// theme: its light grey surround is transparent.
int WriteIcon(const char* sizeText, const char* path) {
  const int size = std::atoi(sizeText);
  const int scale = size / TITLE_ICON_SIZE;
  if (scale < 1 || scale > 8 || size % TITLE_ICON_SIZE != 0) return Usage("--write-icon wants 16, 32, 48 ... 128");
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size * size / 4));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int ix = x / scale, iy = y / scale;
      const int level = Title_Icon[static_cast<std::size_t>(ZEB_BITMAP_HEADER + iy * 4 + ix / 4)] >> ((ix & 3) * 2) & 3;
      pixels[static_cast<std::size_t>((y * size + x) / 4)] |= static_cast<std::uint8_t>(level << ((x & 3) * 2));
    }
  ZebBitmap image{};
  if (!Zeb_InitBitmap(image, pixels.data(), size, size) || !ZebPng_WriteIcon(path, image, ZEB_LIGHT_GREY)) {
    std::fprintf(stderr, "velmo-headless: cannot write %s\n", path);
    return kExitShot;
  }
  return 0;
}

// False when the program ends here (--help, --version, or a fault told) with status.
bool ParseOptions(int argc, char** argv, Options& o, int& status) {
  static char program[] = "velmo";
  o.appArgs.push_back(program);
  OptionReader reader{argc - 1, argv + 1};
  OptionItem item;
  status = 0;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPTION_HELP:
        FolderOptions_Help(kUsage, kOptions, kTail);
        return false;
      case OPT_VERSION: std::printf("%s\n", Notice_Banner()); return false;
      case FOLDER_OPT_FOLDER: o.folder = item.value; break;
      case FOLDER_OPT_WHERE: o.where = true; break;
      case OPT_NOW: o.now = item.value; break;
      case OPT_SCRIPT: o.script = item.value; break;
      case OPT_GLYPHS: o.glyphs = item.value; break;
      default:
        if (!reader.operandsOnly) {
          status = Usage((std::string(item.value) + ": Velmo's own ARGS follow --").c_str());
          return false;
        }
        o.appArgs.push_back(item.value);
    }
  }
  o.appArgs.push_back(nullptr);
  if (reader.status == OPTIONS_END) return true;
  status = Options_Fail(kProgram, reader, kExitUsage);
  return false;
}

// Local time.
bool SetNow(const char* text) {
  NowFields now{};
  if (!NowOption_Read(text, now)) return false;
  Headless_SetLocalTime(now.year, now.month, now.mday, now.hour, now.minute, now.second);
  return true;
}

void SetNowFromSystem() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  Headless_SetLocalTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec > 59 ? 59 : local.tm_sec);
}

bool ReadScript(const char* path, Script& script) {
  std::string error;
  bool ok = false;
  if (path) {
    std::ifstream in(path);
    if (!in) {
      std::fprintf(stderr, "velmo-headless: cannot read script %s\n", path);
      return false;
    }
    ok = Script_Parse(in, script, error);
  } else {
    ok = Script_Parse(std::cin, script, error);
  }
  if (!ok) std::fprintf(stderr, "velmo-headless: script %s: %s\n", path ? path : "(stdin)", error.c_str());
  return ok;
}

bool NoGlyph(unsigned, int, ZebGlyph& out) {
  out = {0, 0, nullptr};
  return false;
}

bool BlockGlyph(unsigned code, int size, ZebGlyph& out) {
  static std::uint32_t rows[ZEB_MAX_GLYPH];
  if (size < 1 || size > ZEB_MAX_GLYPH) return NoGlyph(code, size, out);
  const int width = code < 0x100 ? size / 2 : size;
  for (std::uint32_t& row : rows) row = width >= 32 ? ~0u : (1u << width) - 1;
  out = {width, size, rows};
  return true;
}

bool InstallGlyphs(const char* glyphs) {
  if (glyphs == nullptr) return true;
  ZebHostOps ops = ZebHost_Ops();
  if (std::strcmp(glyphs, "none") == 0) {
    ops.renderGlyph = NoGlyph;
  } else if (std::strcmp(glyphs, "block") == 0) {
    ops.renderGlyph = BlockGlyph;
  } else {
    return false;
  }
  ZebHost_Install(ops);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--write-icon") == 0) return WriteIcon(argv[2], argv[3]);
  Options options;
  if (int status = 0; !ParseOptions(argc, argv, options, status)) return status;
  if (options.where) return DataFolder_Print(kProgram, options.folder, stdout) ? 0 : 1;
  Headless_Install();
  if (!InstallGlyphs(options.glyphs)) return Usage("--glyphs wants none or block");
  if (!options.now) {
    SetNowFromSystem();
  } else if (!SetNow(options.now)) {
    return Usage(NOW_OPTION_WANTS);
  }
  Script script;
  if (!ReadScript(options.script, script)) return kExitUsage;
  // After the script is read: its name is the shell's, relative to here.
  if (!DataFolder_Use(kProgram, options.folder)) return 1;
  const char* failure = nullptr;
  if (!ZebGlyph_Open(&failure)) {
    std::fprintf(stderr, "velmo-headless: %s\n", failure ? failure : "no fonts");
    return 1;
  }
  ScriptPlayer_Start(script);
  const int status = Velmo_Main(static_cast<int>(options.appArgs.size()) - 1, options.appArgs.data());
  ScriptPlayer_Flush();
  ZebGlyph_Close();
  std::string shotError;
  if (ScriptPlayer_Failed(shotError)) {
    std::fprintf(stderr, "velmo-headless: %s\n", shotError.c_str());
    if (status == 0) return kExitShot;
  }
  return status;
}
