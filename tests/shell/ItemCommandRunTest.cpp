// The item commands end to end: velmo-headless in a temporary folder with a
// real record file, keys selecting and changing items, and the record file
// and its backup it leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/Record.h"
#include "store/Store.h"
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
    Entry* e = Store_AllocEntries(1);
    *e = Entry{};
    e->size = ENTRY_NEW_SIZE;
    e->kind = item.kind;
    e->startDay = item.start;
    e->endDay = item.end;
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
  const auto image = Record_BuildImage();
  std::string bytes(reinterpret_cast<const char*>(image.data()), image.size());
  Store_Shutdown();
  return bytes;
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
