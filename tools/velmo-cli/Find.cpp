// velmo-cli search TEXT [--json]: every entry holding TEXT, by the in-program
// search's rules (a match starts on a character boundary; an entry that never
// occurs is passed over), in table order, each with its first day. Exit
// status 1 when nothing matches.
#include <cstdio>
#include <cstring>
#include <string>

#include "CliData.h"
#include "Cli.h"
#include "Sjis.h"
#include "store/Find.h"

namespace {

constexpr const char* kCommand = "search";

std::string Line(const Entry& e, DayNo day, bool json) {
  if (!json) {
    return CliData_DateText(day) + " " + CliData_KindWord(e.kind) + " [" +
           Sjis_ToUtf8(CliData_LabelName(e.label)) + "] " + CliData_Text(e) + "\n";
  }
  std::string out = "{\"date\":\"" + CliData_DateText(day) + "\",\"dayNo\":" + std::to_string(day) +
                    ",\"kind\":" + std::to_string(e.kind) + ",\"label\":" + std::to_string(e.label) + ",\"text\":";
  Sjis_AppendJson(out, Sjis_ToUtf8(e.textLen != 0 ? std::string_view(e.text, e.textLen) : ""));
  return out + "}\n";
}

}  // namespace

int Cli_Search(int argc, char** argv) {
  const char* text = nullptr;
  bool json = false;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (text == nullptr) {
      text = argv[i];
    } else {
      text = nullptr;
      break;
    }
  }
  if (text == nullptr) {
    std::fputs("usage: velmo-cli search TEXT [--json]\n", stderr);
    return 2;
  }
  unsigned missing = 0;
  const std::string sjis = Sjis_FromUtf8(text, missing);
  if (!CliData_Load(kCommand)) return 1;
  unsigned hits = 0;
  std::uint16_t pos = Store_First();
  while (const Entry* e = Store_Next(pos)) {
    if (e->kind == KIND_DELETED || !Find_TextContains(*e, sjis.data(), static_cast<int>(sjis.size()))) continue;
    const DayNo day = Entry_FirstDay(*e);
    if (day == DAY_NONE) continue;
    const std::string line = Line(*e, day, json);
    std::fwrite(line.data(), 1, line.size(), stdout);
    ++hits;
  }
  Store_Shutdown();
  // A character Shift-JIS lacks is in no entry.
  return hits != 0 && missing == 0 ? 0 : 1;
}
