#include "host/headless/Script.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "Capacity.h"
#include "graphics/Zeb.h"
#include "host/common/HostKeys.h"
#include "host/common/ZebPng.h"
#include "host/headless/Headless.h"

namespace {

constexpr std::size_t kLineMax = cap::kScriptLine;
constexpr std::int64_t kWaitMax = 366LL * 24 * 3600 * 1000;  // a year
constexpr std::int64_t kCommandMax = 0xFFFF;

struct Parser {
  Script& out;
  std::string& error;
  int line = 0;

  bool Fail(const std::string& reason) {
    error = "line " + std::to_string(line) + ": " + reason;
    return false;
  }
  void Add(ScriptOp op, std::int64_t value, std::string text = {}) {
    out.steps.push_back(ScriptStep{op, value, std::move(text), line});
  }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view NextWord(std::string_view& rest) {
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  std::size_t n = 0;
  while (n < rest.size() && !IsBlank(rest[n])) ++n;
  std::string_view word = rest.substr(0, n);
  rest.remove_prefix(n);
  return word;
}

bool ReadNumber(std::string_view word, std::int64_t max, std::int64_t& value) {
  if (word.empty()) return false;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  return ec == std::errc() && end == word.data() + word.size() && value >= 0 && value <= max;
}

// The rest of the line is the only argument; a comment may follow it.
std::string_view OneArgument(std::string_view rest, bool& extra) {
  std::string_view word = NextWord(rest);
  std::string_view after = NextWord(rest);
  extra = !after.empty() && after.front() != '#';
  return word;
}

// Typed text goes into the key queue whole; longer text is split between
// characters into queue-sized pieces.
bool ParseText(Parser& p, std::string_view rest) {
  if (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  if (rest.empty()) return p.Fail("text without characters");
  std::string sjis(rest.size() * 2 + 1, '\0');
  const int n = HostKeys_ToShiftJis(rest, sjis.data(), sjis.size());
  if (n < 0) return p.Fail("text not convertible to Shift-JIS");
  sjis.resize(static_cast<std::size_t>(n));
  std::size_t at = 0;
  while (at < sjis.size()) {
    std::size_t len = 0;
    while (at + len < sjis.size()) {
      const std::size_t step =
          Zeb_IsLeadByte(static_cast<unsigned char>(sjis[at + len])) && at + len + 1 < sjis.size() ? 2 : 1;
      if (len + step > cap::kKeyQueue) break;
      len += step;
    }
    p.Add(SCRIPT_TEXT, 0, sjis.substr(at, len));
    at += len;
  }
  return true;
}

bool ParseNumberOp(Parser& p, ScriptOp op, std::string_view rest, std::int64_t max, const char* what) {
  bool extra = false;
  std::string_view word = OneArgument(rest, extra);
  std::int64_t value = 0;
  if (extra || !ReadNumber(word, max, value)) return p.Fail(std::string("bad ") + what + " '" + std::string(word) + "'");
  p.Add(op, value);
  return true;
}

bool ParseShot(Parser& p, std::string_view rest) {
  bool extra = false;
  std::string_view word = OneArgument(rest, extra);
  if (word.empty() || extra) return p.Fail("shot needs one file name");
  p.Add(SCRIPT_SHOT, 0, std::string(word));
  return true;
}

bool ParseKeys(Parser& p, std::string_view word, std::string_view rest) {
  for (; !word.empty() && word.front() != '#'; word = NextWord(rest)) {
    int code = 0;
    if (!HostKeys_Parse(word, code)) return p.Fail("unknown key '" + std::string(word) + "'");
    p.Add(SCRIPT_KEY, code);
  }
  return true;
}

// Instructions without an argument.
struct ScriptWord {
  std::string_view word;
  ScriptOp op;
};
constexpr ScriptWord kBareWords[] = {{"close", SCRIPT_CLOSE}, {"signal", SCRIPT_SIGNAL}, {"quit", SCRIPT_QUIT}};

bool ParseLine(Parser& p, std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view rest = line;
  const std::string_view word = NextWord(rest);
  if (word.empty() || word.front() == '#') return true;
  if (word == "text") return ParseText(p, rest);
  if (word == "cmd") return ParseNumberOp(p, SCRIPT_CMD, rest, kCommandMax, "command");
  if (word == "wait") return ParseNumberOp(p, SCRIPT_WAIT, rest, kWaitMax, "wait");
  if (word == "shot") return ParseShot(p, rest);
  for (const ScriptWord& w : kBareWords) {
    if (word != w.word) continue;
    const std::string_view after = NextWord(rest);
    if (!after.empty() && after.front() != '#') return p.Fail(std::string(w.word) + " takes nothing");
    p.Add(w.op, 0);
    return true;
  }
  return ParseKeys(p, word, rest);
}

}  // namespace

bool Script_Parse(std::istream& in, Script& out, std::string& error) {
  Parser p{out, error};
  std::string line;
  while (std::getline(in, line)) {
    ++p.line;
    if (line.size() > kLineMax) return p.Fail("line too long");
    if (!ParseLine(p, line)) return false;
  }
  if (in.bad()) return p.Fail("read error");
  return true;
}

// ---------------------------------------------------------------------------
// Playing

namespace {

constexpr int kCloseRepeats = 1000;  // close requests before giving up

struct Player {
  const Script* script = nullptr;
  std::size_t next = 0;
  std::int64_t waitLeft = 0;  // of the wait step in progress
  int closes = 0;
  bool failed = false;
  std::string failure;
  std::string lastDebug;
};

Player player;

// Debug messages of the application reach the terminal.
void EchoDebugMessage() {
  const char* text = Headless_LastDebugMessage();
  if (player.lastDebug == text) return;
  player.lastDebug = text;
  char utf8[1024];
  HostKeys_ToUtf8(text, utf8, sizeof utf8);
  std::fprintf(stderr, "velmo-headless: message: %s\n", utf8);
}

// Moves the clock no further than the application asked to wait, so each
// timer that falls due fires at its own time.
void ContinueWait(int waitMs) {
  std::int64_t step = player.waitLeft;
  if (waitMs > 0 && waitMs < step) step = waitMs;
  Headless_Advance(step);
  player.waitLeft -= step;
  if (player.waitLeft == 0) ++player.next;
}

void Shot(const ScriptStep& step) {
  if (ZebPng_Write(step.text.c_str())) return;
  if (!player.failed) player.failure = "line " + std::to_string(step.line) + ": cannot write " + step.text;
  player.failed = true;
}

void AtEnd() {
  if (++player.closes > kCloseRepeats) {
    std::fprintf(stderr, "velmo-headless: the program does not close\n");
    std::_Exit(3);
  }
  Headless_RequestClose();
}

// Runs steps until one gives the application something to do.
void Feed(int waitMs) {
  EchoDebugMessage();
  const std::vector<ScriptStep>& steps = player.script->steps;
  while (player.next < steps.size()) {
    const ScriptStep& step = steps[player.next];
    switch (step.op) {
      case SCRIPT_KEY:
        Headless_PushKey(static_cast<int>(step.value));
        ++player.next;
        return;
      case SCRIPT_TEXT:
        Headless_PushText(step.text.c_str());
        ++player.next;
        return;
      case SCRIPT_CMD:
        Headless_PushCommand(static_cast<int>(step.value));
        ++player.next;
        return;
      case SCRIPT_WAIT:
        if (player.waitLeft == 0) player.waitLeft = step.value;
        if (player.waitLeft == 0) {
          ++player.next;
          continue;
        }
        ContinueWait(waitMs);
        return;
      case SCRIPT_SHOT:
        Shot(step);
        ++player.next;
        continue;
      case SCRIPT_CLOSE:
        Headless_AskClose();
        ++player.next;
        return;
      case SCRIPT_SIGNAL:
        Headless_RequestClose();
        ++player.next;
        return;
      case SCRIPT_QUIT:
        player.next = steps.size();
        break;
    }
  }
  AtEnd();
}

}  // namespace

void ScriptPlayer_Flush() { EchoDebugMessage(); }

void ScriptPlayer_Start(const Script& script) {
  player = Player{};
  player.script = &script;
  Headless_SetFeeder(Feed);
}

bool ScriptPlayer_Failed(std::string& message) {
  message = player.failure;
  return player.failed;
}
