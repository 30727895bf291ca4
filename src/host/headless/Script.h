// The headless runner's script: one instruction a line, played one step each
// time the application waits for a key with nothing left to do, so a script
// always gives the same screens and files.
//
//   a b C-s S-TAB F3   keys, separated by blanks
//   text 日本語         the rest of the line typed through the input method
//   cmd 4530           Command 4530 to the focus chain
//   wait 1500          the virtual clock moves on; due timers fire
//   shot out.png       the screen as it stands, as PNG
//   close              the user closes the window: Velmo may ask first
//   signal             as SIGTERM: Velmo ends now, nothing is asked
//   quit               ends the script; Velmo then ends as on a signal (so
//                      does the end of the script)
//   # comment          a word starting with '#' ends the line (not in text)
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

enum ScriptOp : std::uint8_t {
  SCRIPT_KEY,   // value = key code
  SCRIPT_TEXT,  // text = Shift-JIS bytes, at most a key queue full
  SCRIPT_CMD,   // value = command number
  SCRIPT_WAIT,  // value = milliseconds
  SCRIPT_SHOT,  // text = file name
  SCRIPT_CLOSE,   // the user's close request
  SCRIPT_SIGNAL,  // a close that asks nothing
  SCRIPT_QUIT,
};

struct ScriptStep {
  ScriptOp op;
  std::int64_t value;
  std::string text;
  int line;
};

struct Script {
  std::vector<ScriptStep> steps;
};

// Reads a whole script. On failure error holds "line N: reason".
bool Script_Parse(std::istream& in, Script& out, std::string& error);

// Plays a script through the headless host's idle feeder. ScriptPlayer_Start
// installs the feeder; the player pushes one key (or one typed text) each
// time it is called, runs waits step by step so that timers fire on time,
// and asks the application to close at the end.
void ScriptPlayer_Start(const Script& script);
// Echoes a debug message of the application not yet shown.
void ScriptPlayer_Flush();
// Whether a shot failed to write, with its message.
bool ScriptPlayer_Failed(std::string& message);
