// The item commands end to end: velmo-headless in a temporary folder with a
// real record file, keys selecting and changing items, and the record file
// and its backup it leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/Record.h"
#include "store/Store.h"
#include "support/Entries.h"
#include "support/Headless.h"

namespace {

using velmo_test::HeadlessFolder;

const DayNo kDay = Date_ToDayNo(2024, 1, 31);

struct Item {
  EntryKind kind;
  DayNo start, end;
  std::string text;
  std::uint16_t done = 0;  // done day of a task, 0 when open
};

std::string Image(const std::vector<Item>& items) {
  Store_Init();
  std::vector<std::string> texts;
  texts.reserve(items.size());
  for (const Item& item : items) {
    texts.push_back(item.text);
    Entry* e = velmo_test::NewEntry(item.kind, item.start, item.end);
    e->text = texts.back().data();
    e->textLen = static_cast<std::uint16_t>(texts.back().size());
    if (item.kind == KIND_SCHEDULE) e->endHour = 10;
    if (item.done != 0) {
      e->done = Store_AllocWords(1);
      e->done[0] = item.done;
      e->doneLen = 2;
    }
    Store_Register(e);
  }
  return velmo_test::RecordOfStore();
}

// The entries a record file holds, read back through the store.
std::vector<Item> Items(const std::string& bytes) {
  Store_Init();
  Record_LoadSpan({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  std::vector<Item> items;
  std::uint16_t pos = Store_First();
  for (Entry* e = Store_Next(pos); e != nullptr; e = Store_Next(pos)) {
    items.push_back({e->kind, e->startDay, e->endDay, std::string(e->text, e->textLen),
                     e->doneLen != 0 ? e->done[0] : std::uint16_t{0}});
  }
  Store_Shutdown();
  return items;
}

class ItemCommandRun : public ::testing::Test {
 protected:
  void Start(const std::vector<Item>& items) {
    original = Image(items);
    folder.Write("record", original);
    folder.Write("continue", "CurrentDate: " + std::to_string(kDay) + "\nCurrentView: 4\n");
  }
  void Run(const std::string& script, std::vector<std::string> args = {}) {
    const auto run = folder.Run(script, {.now = "2024-01-10T09:00", .args = std::move(args)});
    ASSERT_EQ(run.status, 0) << run.errors;
  }
  std::vector<Item> Record() { return Items(folder.File("record").value_or("")); }
  // What velmo-cli export-ics writes of each item: its first text line -> its UID.
  std::multimap<std::string, std::string> Exported() {
    const std::string command = "cd " + velmo_test::Quote(folder.Dir().string()) + " && VELMO_DIR=. TZ=UTC '" +
                                VELMO_BINARY_DIR "/velmo-cli' export-ics out.ics";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string ics = folder.File("out.ics").value_or("");
    std::multimap<std::string, std::string> out;
    for (std::size_t at = 0; (at = ics.find("\r\nUID:", at)) != std::string::npos; ++at) {
      const std::size_t summary = ics.find("\r\nSUMMARY:", at);
      const auto Line = [&ics](std::size_t from) { return ics.substr(from, ics.find("\r\n", from) - from); };
      out.emplace(Line(summary + 10), Line(at + 6));
    }
    return out;
  }
  HeadlessFolder folder;
  std::string original;
};

const std::vector<Item> kMeetAndTodo = {{KIND_SCHEDULE, kDay, kDay, "meet"},
                                        {KIND_TASK, kDay, DAY_OPEN_END, "todo"}};

TEST_F(ItemCommandRun, DeleteAsksFirstAndKeepsTheStartOfRunFileAsBackup) {
  Start(kMeetAndTodo);
  Run("n\nDEL\nESC\nq\n");  // refused
  EXPECT_EQ(folder.File("record"), original);
  EXPECT_FALSE(folder.Exists("record.bak"));

  Run("n\nDEL\nRET\nq\n");
  const auto items = Record();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].text, "todo");
  EXPECT_EQ(folder.File("record.bak"), original);

  Run("DEL\nq\n");  // nothing selected: nothing asked, nothing deleted
  EXPECT_EQ(Record().size(), 1u);
}

TEST_F(ItemCommandRun, CopyPasteAndCutPasteOntoAnotherDay) {
  Start(kMeetAndTodo);
  Run("n\nC-c\nRIGHT\nC-v\nq\n");
  auto items = Record();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[2].text, "meet");
  EXPECT_EQ(items[2].start, kDay + 1);
  EXPECT_EQ(items[2].end, kDay + 1);

  Start(kMeetAndTodo);
  Run("n\nn\nC-x\nLEFT\nC-v\nq\n");  // the task moves a day back
  items = Record();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].kind, KIND_TASK);
  EXPECT_EQ(items[1].start, kDay - 1);
  EXPECT_EQ(items[1].end, DAY_OPEN_END);
}

TEST_F(ItemCommandRun, SpaceTogglesTheDoneMarkOfTheSelectedTask) {
  Start(kMeetAndTodo);
  Run("n\nn\nSPC\nq\n");
  auto items = Record();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].done, kDay);
  Run("n\nn\nSPC\nq\n");
  EXPECT_EQ(Record()[1].done, 0);
  Run("n\nSPC\nq\n");  // a schedule has no done mark
  EXPECT_EQ(Record()[0].kind, KIND_SCHEDULE);
  EXPECT_EQ(Record()[0].done, 0);
}

TEST_F(ItemCommandRun, SjisToEucConvertsEveryTextAfterConfirmation) {
  // "あ" and "亜" in Shift-JIS; "ｱ", a line feed, "あ"; "ⅰ" (an IBM extension)
  // and an unassigned code.
  Start({{KIND_SCHEDULE, kDay, kDay, "a\x82\xa0"},
         {KIND_TASK, kDay, DAY_OPEN_END, "\x88\x9f"},
         {KIND_TASK, kDay, DAY_OPEN_END, "\xb1\n\x82\xa0"},
         {KIND_TASK, kDay, DAY_OPEN_END, "\xfa\x40\x85\x40z"}});
  Run("ESC\nq\n", {"-sjistoeuc"});  // declined
  EXPECT_EQ(folder.File("record"), original);
  Run("RET\nRET\nq\n", {"-sjistoeuc"});
  const auto items = Record();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].text, "a\xa4\xa2");
  EXPECT_EQ(items[1].text, "\xb0\xa1");
  EXPECT_EQ(items[2].text, "\x8e\xb1\n\xa4\xa2");
  EXPECT_EQ(items[3].text, "\x8f\xf3\xf3\xa2\xae" "z");
  EXPECT_EQ(folder.File("record.bak"), original);
}

TEST_F(ItemCommandRun, ReturnOnTheSelectedItemChangesIt) {
  Start(kMeetAndTodo);
  Run("n\nRET\nESC\nq\n");  // cancelled
  EXPECT_EQ(folder.File("record"), original);
  Run("n\nRET\nRET\nq\n");  // accepted unchanged: the new entry replaces the old
  const auto items = Record();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, "todo");
  EXPECT_EQ(items[1].text, "meet");
  EXPECT_EQ(items[1].start, kDay);
}

// To other calendars an item changed, marked done or moved is the same item:
// its UID stays through every change and restart; a copy is a new item.
TEST_F(ItemCommandRun, AnItemKeepsItsUidThroughChangesDoneMarksMovesAndRestarts) {
  Start({{KIND_SCHEDULE, kDay, kDay, "meet"}, {KIND_TASK, kDay, DAY_OPEN_END, "todo"},
         {KIND_SCHEDULE, kDay, kDay, "meet"}});
  const auto before = Exported();
  ASSERT_EQ(before.size(), 3u);
  ASSERT_EQ(before.count("todo"), 1u);
  const std::string todo = before.find("todo")->second;
  // The first meeting's text replaced in the dialog and the task marked
  // done; then, after a restart, the changed meeting cut and pasted a day later.
  Run("n\nRET\ntext call\nRET\nn\nn\nn\nSPC\nq\n");
  Run("n\nn\nC-x\nRIGHT\nC-v\nq\n");
  auto after = Exported();
  ASSERT_EQ(after.size(), 3u) << folder.File("out.ics").value_or("");
  ASSERT_TRUE(after.count("todo") == 1 && after.count("call") == 1 && after.count("meet") == 1)
      << folder.File("out.ics").value_or("");
  EXPECT_EQ(after.find("todo")->second, todo);
  const auto meet = before.equal_range("meet");
  const std::string first = meet.first->second, second = std::next(meet.first)->second;
  EXPECT_NE(first, second);
  EXPECT_EQ(after.find("call")->second, first);
  EXPECT_EQ(after.find("meet")->second, second);
  const std::vector<Item> items = Record();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].done, kDay);
  EXPECT_EQ(items[2].text, "call");
  EXPECT_EQ(items[2].start, kDay + 1);
  // velmo-cli add rewrites the record: every other item keeps its UID.
  const std::string add = "cd " + velmo_test::Quote(folder.Dir().string()) + " && VELMO_DIR=. '" +
                          VELMO_BINARY_DIR "/velmo-cli' add task 2024-03-01 new >/dev/null";
  ASSERT_EQ(std::system(add.c_str()), 0);
  auto added = Exported();
  ASSERT_EQ(added.count("new"), 1u);
  added.erase("new");
  EXPECT_EQ(added, after);
  // The task open again, the moved meeting copied a day later: the copy is
  // an item of its own.
  folder.Write("continue", "CurrentDate: " + std::to_string(kDay) + "\nCurrentView: 4\n");
  Run("n\nn\nSPC\nRIGHT\nn\nC-c\nRIGHT\nC-v\nq\n");
  after = Exported();
  ASSERT_EQ(after.size(), 5u) << folder.File("out.ics").value_or("");
  ASSERT_TRUE(after.count("todo") == 1 && after.count("call") == 2 && after.count("meet") == 1)
      << folder.File("out.ics").value_or("");
  EXPECT_EQ(after.find("todo")->second, todo);
  EXPECT_EQ(after.find("meet")->second, second);
  const auto calls = after.equal_range("call");
  const std::string one = calls.first->second, other = std::next(calls.first)->second;
  EXPECT_TRUE(one == first || other == first) << one << " " << other;
  EXPECT_NE(one, other);
  EXPECT_EQ(Record()[0].done, 0);
}

TEST_F(ItemCommandRun, TheAddDialogRegistersTheTypedEntry) {
  Start({});
  Run("F2\ntext new\nRET\nq\n");
  const auto items = Record();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].kind, KIND_SCHEDULE);
  EXPECT_EQ(items[0].text, "new");
  EXPECT_EQ(items[0].start, kDay);
}

}  // namespace
