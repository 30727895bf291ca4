// velmo-cli dump [FILE]: every entry the record file (of the data folder, or
// FILE) loads, one JSON object a line, in table order.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "Capacity.h"
#include "Cli.h"
#include "CliData.h"
#include "Sjis.h"
#include "calendar/Date.h"
#include "files/Record.h"
#include "files/Settings.h"
#include "options/Options.h"
#include "store/Store.h"

namespace {

constexpr const char* kProgram = "velmo-cli dump";
constexpr const char* kUsage = "usage: velmo-cli dump [FILE]\n";
constexpr const char* kTail =
    "Prints every entry of the data folder's record file (or FILE) as JSON Lines,\n"
    "one object an entry, field by field; status 3 where a damaged file stops.\n";

// Record offsets of the loaded entries, by table position.
struct DumpOffsets {
  std::uint32_t offset[cap::kEntries];
  std::uint16_t count;
};

DumpOffsets offsets;

void RememberOffset(const Entry&, std::uint32_t offset, void* context) {
  auto* o = static_cast<DumpOffsets*>(context);
  if (o->count < cap::kEntries) o->offset[o->count++] = offset;
}

void Key(std::string& out, const char* name) {
  if (out.size() > 1) out += ',';
  out += '"';
  out += name;
  out += "\":";
}

void Number(std::string& out, const char* name, unsigned long value) {
  Key(out, name);
  out += std::to_string(value);
}

void Date(std::string& out, const char* name, DayNo day) {
  Key(out, name);
  out.append("\"").append(CliData_DateText(day)).append("\"");
}

void Words(std::string& out, const char* name, const std::uint16_t* words, std::uint16_t bytes) {
  Key(out, name);
  out += '[';
  // An odd length still shows its last byte, as the low byte of a word.
  const unsigned count = (bytes + 1u) / 2;
  for (unsigned i = 0; i < count; ++i) {
    if (i > 0) out += ',';
    out += std::to_string(words[i]);
  }
  out += ']';
}

void Text(std::string& out, const char* name, const char* hexName, const char* bytes,
          std::uint16_t length) {
  const std::string_view raw = length ? std::string_view(bytes, length) : std::string_view();
  Key(out, name);
  Sjis_AppendJson(out, Sjis_ToUtf8(raw));
  Key(out, hexName);
  out += '"';
  Sjis_AppendHex(out, raw);
  out += '"';
}

void KindPart(std::string& out, const Entry& e) {
  if (!Entry_HasKindPart(e.kind)) return;
  std::uint8_t part[4];
  Record_KindPart(e, part);
  Key(out, "kindPart");
  out += '"';
  Sjis_AppendHex(out, std::string_view(reinterpret_cast<const char*>(part), 4));
  out += '"';
  if (e.kind == KIND_TIMED || e.kind == KIND_SCHEDULE) {
    Number(out, "startHour", e.startHour);
    Number(out, "startMinute", e.startMinute);
  }
  if (e.kind == KIND_SCHEDULE) {
    Number(out, "endHour", e.endHour);
    Number(out, "endMinute", e.endMinute);
  }
  if (e.kind == KIND_TASK) {
    Number(out, "taskWord", e.taskWord);
    Number(out, "rank", e.rank);
  }
}

std::string EntryLine(const Entry& e, std::uint16_t index, std::uint32_t offset) {
  std::string out = "{";
  Number(out, "index", index);
  Number(out, "offset", offset);
  Number(out, "size", e.size);
  Number(out, "kind", e.kind);
  Number(out, "reserved1", e.reserved1);
  Number(out, "reserved2", e.reserved2);
  Number(out, "reserved3", e.reserved3);
  Number(out, "label", e.label);
  Number(out, "startDay", e.startDay);
  Number(out, "endDay", e.endDay);
  Number(out, "stampSeq", e.stampSeq);
  Number(out, "stampDay", e.stampDay);
  Number(out, "stampHour", e.stampHour);
  Number(out, "stampMinute", e.stampMinute);
  Number(out, "repeat", e.repeat);
  Number(out, "interval", e.interval);
  Number(out, "weekMask", e.weekMask);
  Number(out, "weekdayMask", e.weekdayMask);
  Number(out, "extraLen", e.extraLen);
  Number(out, "doneLen", e.doneLen);
  Number(out, "textLen", e.textLen);
  Number(out, "linkLen", e.linkLen);
  Date(out, "startDate", e.startDay);
  Date(out, "endDate", e.endDay);
  KindPart(out, e);
  Words(out, "extra", e.extra, e.extraLen);
  Words(out, "done", e.done, e.doneLen);
  Text(out, "text", "textHex", e.text, e.textLen);
  Text(out, "link", "linkHex", e.link, e.linkLen);
  out += "}\n";
  return out;
}

// The file named, or the data folder's record file; false when the command
// ends here with status.
bool ChooseFile(int argc, char** argv, std::string& file, int& status) {
  OptionReader reader{argc, argv};
  OptionItem item;
  const char* named = nullptr;
  while (Options_Next(reader, {}, item)) {
    if (item.id == OPTION_HELP) {
      Options_PrintHelp(stdout, kUsage, {}, kTail);
      return status = CliData_Written(), false;
    }
    if (named != nullptr) return status = Options_Refuse(kProgram, "one FILE only", CLI_EXIT_USAGE), false;
    named = item.value;
  }
  if (reader.status != OPTIONS_END) return status = Options_Fail(kProgram, reader, CLI_EXIT_USAGE), false;
  if (named != nullptr) {
    file = named;
    return true;
  }
  if (!CliData_EnterFolder("dump")) return status = CLI_EXIT_NO_FOLDER, false;
  Settings_Load();
  file = Record_Path();
  return true;
}

}  // namespace

int Cli_Dump(int argc, char** argv) {
  std::string file;
  if (int status = CLI_EXIT_OK; !ChooseFile(argc, argv, file, status)) return status;
  if (!Record_SetPath(file.c_str())) {
    std::fprintf(stderr, "%s: %s: file name too long\n", kProgram, file.c_str());
    return CLI_EXIT_USAGE;
  }
  Store_Init();
  offsets.count = 0;
  const bool loaded = Record_Load(RememberOffset, &offsets);
  const RecordLoadInfo& info = Record_LastLoad();
  if (info.stop == RECORD_MISSING) return CliData_NoRecord("dump");
  if (info.stop == RECORD_UNREADABLE) {
    std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, file.c_str(), std::strerror(info.error));
    return CLI_EXIT_DAMAGED;
  }
  std::uint16_t pos = Store_First();
  while (const Entry* e = Store_Next(pos)) {
    const std::uint16_t index = static_cast<std::uint16_t>(pos - 1);
    const std::string line = EntryLine(*e, index, index < offsets.count ? offsets.offset[index] : 0);
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  Store_Shutdown();
  if (const int status = CliData_Written(); status != CLI_EXIT_OK) return status;
  if (!loaded) {
    std::fprintf(stderr, "%s: %s: load stopped at byte offset %u: %s\n", kProgram, file.c_str(),
                 unsigned{info.stopOffset}, Record_StopText(info.stop));
    return CLI_EXIT_DAMAGED;
  }
  return CLI_EXIT_OK;
}
