// The desktop program under SDL's dummy video driver: it takes synthesized
// key events, shows what the headless host shows for the same keys, and a
// close request ends it through the application's own shutdown.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/sdl/SdlView.h"
#include "support/Headless.h"

namespace {

using velmo_test::HeadlessFolder;

constexpr const char* kDummy = "SDL_VIDEODRIVER=dummy timeout 60";

TEST(SdlSmoke, SynthesizedKeysGiveTheHeadlessScreenAndCloseSavesTheContinuationFile) {
  const std::string keys = "F7 C-S-n S-TAB F8 # the weeks view\nF7\n";
  HeadlessFolder window;
  window.Write("keys.txt", keys);
  const auto run = window.Run("", {.program = "velmo", .extra = "--test-keys keys.txt --shot-at-exit s.png",
                                   .environment = kDummy});
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string cont = window.File("continue").value_or("");
  EXPECT_NE(cont.find("CurrentView:            2\n"), std::string::npos) << cont;
  EXPECT_NE(cont.find("CurrentViewWeeks:       5\n"), std::string::npos);

  EXPECT_TRUE(window.Shot("s.png").SameButClock(velmo_test::HeadlessShot(keys)));
}

TEST(SdlSmoke, AltShortcutsSendCommandsAndExitSavesLikeClosing) {
  HeadlessFolder folder;
  folder.Write("keys.txt", "A-1 A-x F8\n");  // calendar by command 4518, then Exit
  const auto run = folder.Run("", {.program = "velmo", .extra = "--test-keys keys.txt", .environment = kDummy});
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string cont = folder.File("continue").value_or("");
  EXPECT_NE(cont.find("CurrentView:            2\n"), std::string::npos) << cont;  // F8 never arrived
}

TEST(SdlSmoke, SigtermAndSigintRunTheApplicationsOwnShutdownAndExitZero) {
  for (const char* signal : {"TERM", "INT"}) {
    HeadlessFolder folder;
    const std::string environment = std::string("SDL_VIDEODRIVER=dummy timeout --preserve-status -s ") + signal + " 2";
    const auto run = folder.Run("", {.program = "velmo", .environment = environment});
    EXPECT_EQ(run.status, 0) << signal << ": " << run.errors;
    EXPECT_TRUE(folder.Exists("continue")) << signal;
  }
}

// The input method's events reach the window's handler as SDL sends them: keys
// typed while a reading is unconverted stay with the input method, a commit
// keeps every character (〓 for those Shift-JIS lacks), and Shift+Insert types
// the clipboard into the focused editor.
TEST(SdlSmoke, InputMethodCommitsAndTheClipboardReachTheEditorWhole) {
  HeadlessFolder folder;
  // "にほ", then "日本é😀" committed; the second entry is pasted "会議".
  folder.Write("keys.txt",
               "s edit:\xe3\x81\xab\xe3\x81\xbb RET BS edit: text:\xe6\x97\xa5\xe6\x9c\xac\xc3\xa9\xf0\x9f\x98\x80 RET\n"
               "clip:\xe4\xbc\x9a\xe8\xad\xb0 s S-INS RET\n");
  const auto run = folder.Run("", {.program = "velmo", .extra = "--test-keys keys.txt", .environment = kDummy});
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string record = folder.File("record").value_or("");
  EXPECT_NE(record.find("\x93\xfa\x96\x7b\x81\xac\x81\xac"), std::string::npos);  // 日本〓〓
  EXPECT_NE(record.find("\x89\xef\x8b\x63"), std::string::npos);                  // 会議
}

// Keys typed in one burst, ahead of the application: those SDL made before
// the dialog turned text input on arrive as the plain keys they are, those
// made after it arrive as their text, none lost, doubled or reordered; an
// Alt shortcut (Alt+0 does nothing) types no character. The
// window thread handles each burst key only once the application has taken
// the one before, so a dialog always opens between F2 and the first letter.
TEST(SdlSmoke, KeysTypedAheadOfTheDialogKeepEveryKeyInOrder) {
  HeadlessFolder folder;
  folder.Write("keys.txt",
               "burst F2 k a i g i RET\n"
               "burst s S-x y RET F2 z RET\n"  // a dialog closes and another opens within the burst
               "F2 m e A-0 m o RET\n");         // typed one at a time: the texts of text input
  const auto run = folder.Run("", {.program = "velmo", .extra = "--test-keys keys.txt", .environment = kDummy});
  ASSERT_EQ(run.status, 0) << run.errors;
  folder.Run("", {.program = "velmo-cli", .extra = "dump > dump.jsonl"});  // no record: no texts
  std::string texts;
  std::istringstream dump(folder.File("dump.jsonl").value_or(""));
  for (std::string line; std::getline(dump, line);) {
    const auto at = line.find("\"text\":\"");
    if (at != std::string::npos) texts += line.substr(at + 8, line.find('"', at + 8) - at - 8) + " ";
  }
  EXPECT_EQ(texts, "kaigi Xy z memo ");
}

TEST(SdlSmoke, BadOptionsAndUnknownTestKeysAreRefused) {
  HeadlessFolder folder;
  folder.Write("keys.txt", "F7 F13\n");
  EXPECT_EQ(folder.Run("", {.program = "velmo", .extra = "--test-keys keys.txt", .environment = kDummy}).status, 2);
  EXPECT_EQ(folder.Run("", {.program = "velmo", .extra = "--scale 0", .environment = kDummy}).status, 2);
  EXPECT_FALSE(folder.Exists("continue"));
}

// The picture in a window of any size: the largest whole factor that fits (at
// most the one asked for), centred; never below 1, even in a smaller window.
TEST(SdlView, TheLargestWholeFactorThatFitsCentred) {
  struct Case {
    int w, h, wanted;
    SdlPlace place;
  };
  const Case cases[] = {
      {1280, 480, 0, {2, 0, 0}},       {1280, 480, 2, {2, 0, 0}},     {1920, 1080, 0, {3, 0, 180}},
      {1920, 1080, 2, {2, 320, 300}},  {2560, 1440, 0, {4, 0, 240}},  {1366, 768, 0, {2, 43, 144}},
      {1400, 900, 0, {2, 60, 210}},    {1919, 2000, 0, {2, 319, 760}}, {639, 239, 0, {1, 0, 0}},
      {640, 240, 5, {1, 0, 0}},        {3840, 2160, 0, {6, 0, 360}},  {3840, 2160, 8, {6, 0, 360}},
  };
  for (const Case& c : cases) {
    const SdlPlace p = SdlView_Fit(c.w, c.h, c.wanted);
    EXPECT_EQ(p.factor, c.place.factor) << c.w << "x" << c.h << " " << c.wanted;
    EXPECT_EQ(p.x, c.place.x) << c.w << "x" << c.h;
    EXPECT_EQ(p.y, c.place.y) << c.w << "x" << c.h;
  }
}

}  // namespace
