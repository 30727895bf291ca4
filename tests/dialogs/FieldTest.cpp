#include "dialogs/Field.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "dialogs/Notice.h"
#include "dialogs/Repeat.h"
#include "host/common/Host.h"
#include "shell/Shell.h"
#include "store/Label.h"
#include "support/AppScreen.h"

namespace {

std::vector<std::string> notices;
bool imeOpen = false;

void Capture(const char* text) { notices.emplace_back(text); }
bool ImeOpen() { return imeOpen; }
void ImeToggle() { imeOpen = !imeOpen; }

// The field state of the test's dialog.
FieldState fields{};

// The field handling of a dialog, as the entry dialog wires it.
bool DialogHandler(nwObject* object, nwMessage* message) {
  auto* field = static_cast<nwObject*>(message->ptr);
  switch (message->code) {
    case NW_GAIN_FOCUS_NOTIFY: return Field_GainFocus(fields, field);
    case NW_EDIT_NOTIFY: return Field_AutoAdvance(fields, field);
    case NW_LOST_FOCUS_NOTIFY: {
      if (field == nullptr) return false;
      if (fields.checkBusy) return true;
      Field_Setup(fields, field->id);
      if (field->id == ID_TEXT || field->id == ID_REPEAT) return true;
      fields.checkBusy = true;
      const bool passed = Field_Check(fields, field);
      fields.checkBusy = false;
      return passed;
    }
    case NW_KEY_DOWN:
      if (message->param == KEY_UP || message->param == KEY_DOWN) {
        if (fields.params.spinKind != SPIN_NONE) Field_Step(fields, message->param == KEY_UP);
        return true;
      }
      return nwDialog_Handler(object, message);
    default: return nwDialog_Handler(object, message);
  }
}

constexpr std::array<int, 9> kIds{ID_TEXT,        ID_START_YEAR, ID_START_MONTH, ID_START_DAY, ID_START_HOUR,
                                  ID_START_MINUTE, ID_END_HOUR,   ID_RANK,        ID_INTERVAL};

class Fields : public ::testing::Test {
 protected:
  nwDialog dialog{};
  std::array<nwEdit, kIds.size()> edits{};
  std::array<std::array<char, 16>, kIds.size()> buffers{};

  void SetUp() override {
    ZebHostOps ops{};
    ops.debugMessage = Capture;
    ops.isImeOpen = ImeOpen;
    ops.toggleIme = ImeToggle;
    Host_Install(ops);
    Notice_Detach();
    Zeb_SetScreenSize(640, 240);
    Zeb_OpenScreen(nwContext);
    nwEvent_Reset();
    const ZebRect screen{0, 0, 640, 240};
    const ZebRect bar{0, 220, 640, 20};
    const ZebRect box{78, 24, 483, 193};
    nwObject_Create(&titleBar, nwObject_DefaultHandler, nullptr, &screen);
    nwObject_Create(&toolbar, nwToolbar_Handler, nullptr, &bar);
    nwObject_Create(&dialog, DialogHandler, &titleBar, &box);
    fields.mode = DLG_ADD_SCHEDULE;
    Field_Reset(fields);
    for (std::size_t i = 0; i < kIds.size(); ++i) {
      const ZebRect rect{20, 20 + 22 * static_cast<int>(i), 36, 20};
      nwObject_Create(&edits[i], nwEdit_Handler, &dialog, &rect);
      nwEvent_SendTo(&edits[i], NW_SET_ID, kIds[i]);
      Field_Init(fields, &edits[i], buffers[i].data(), kIds[i] == ID_TEXT ? 13 : 4, "");
    }
    Set(ID_START_YEAR, "2024");
    Set(ID_START_MONTH, "6");
    Set(ID_START_DAY, "15");
    velmo_test::Drain();
    notices.clear();
  }
  void TearDown() override { Host_Install(ZebHostOps{}); }

  nwObject* F(int id) { return Field_Find(fields, id); }
  std::string Text(int id) { return Field_BufferOf(fields, id); }
  void Set(int id, const char* text) { nwEvent_SendTo(F(id), NW_SET_TEXT, static_cast<int>(std::string(text).size()), 0, const_cast<char*>(text)); }
  void Focus(int id) {
    nwFocus_Set(F(id));
    velmo_test::Drain();
  }
  void Type(const char* keys) {
    for (; *keys != '\0'; ++keys) {
      nwEvent_SendTo(nwFocus_Get(), NW_KEY_DOWN, *keys);
      velmo_test::Drain();
    }
  }
  void Key(int key) {
    nwEvent_PostTo(nullptr, NW_KEY_DOWN, key);
    velmo_test::Drain();
  }
};

TEST_F(Fields, AMonthAdvancesOnceItCanTakeNoSecondDigit) {
  Focus(ID_START_MONTH);
  EXPECT_EQ(nwFocus_Get(), F(ID_START_MONTH));  // a complete value already there does not move on
  Type("2");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_DAY));
  Focus(ID_START_MONTH);
  Type("1");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_MONTH));
  Type("2");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_DAY));
  EXPECT_TRUE(notices.empty());
}

TEST_F(Fields, AValueOutOfRangeIsResetNamedAndRefocused) {
  Focus(ID_START_MONTH);
  Type("13");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_MONTH));
  Focus(ID_START_DAY);
  // "値が不正です\n1 から 12 まで"
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "\x92\x6c\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7\n1 \x82\xa9\x82\xe7 12 \x82\xdc\x82\xc5");
  EXPECT_EQ(Text(ID_START_MONTH), "1");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_MONTH));
}

TEST_F(Fields, AYearBelowTheRangeNeverAdvancesTakesNoFifthDigitAndItsResetStaysPut) {
  Focus(ID_START_YEAR);
  Type("19695");  // a field holds its capacity: four digits
  EXPECT_EQ(Text(ID_START_YEAR), "1969");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_YEAR));
  Focus(ID_START_MONTH);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("1970 "), std::string::npos);
  EXPECT_NE(notices[0].find(" 2050 "), std::string::npos);
  EXPECT_EQ(Text(ID_START_YEAR), "1970");
  // The reset to 1970 is complete for a year but must not move the focus on.
  EXPECT_EQ(nwFocus_Get(), F(ID_START_YEAR));
}

TEST_F(Fields, TheDayIsHeldToTheLengthOfTheMonthNowShown) {
  Set(ID_START_DAY, "31");
  Focus(ID_START_MONTH);
  // The advance sets the focus on the day twice, so its value meets the
  // new range at once.
  Type("2");
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find(" 29 "), std::string::npos);  // 2024 is a leap year
  EXPECT_EQ(Text(ID_START_DAY), "1");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_DAY));
}

TEST_F(Fields, HoursAndMinutesAdvanceOnZeroOrALargeFirstDigit) {
  Focus(ID_START_HOUR);
  Type("0");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_MINUTE));
  Focus(ID_START_HOUR);
  Type("3");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_MINUTE));
  Focus(ID_START_HOUR);
  Type("2");
  EXPECT_EQ(nwFocus_Get(), F(ID_START_HOUR));
  Focus(ID_INTERVAL);
  Type("9");
  EXPECT_EQ(nwFocus_Get(), F(ID_INTERVAL));
  Type("0");
  EXPECT_EQ(nwFocus_Get(), F(ID_TEXT));
}

TEST_F(Fields, ArrowsStepWithinTheRangeAndMinutesByQuarters) {
  const auto step = [&](int id, const char* from, int key) {
    Set(id, from);
    velmo_test::Drain();
    Focus(id);
    Key(key);
    const std::string result = Text(id);
    EXPECT_EQ(nwFocus_Get(), F(id)) << from;
    return result;
  };
  EXPECT_EQ(step(ID_START_YEAR, "2050", KEY_UP), "2050");
  EXPECT_EQ(step(ID_START_YEAR, "2049", KEY_UP), "2050");
  EXPECT_EQ(step(ID_RANK, "1", KEY_DOWN), "1");
  EXPECT_EQ(step(ID_RANK, "5", KEY_DOWN), "4");
  EXPECT_EQ(step(ID_INTERVAL, "5", KEY_UP), "5");
  EXPECT_EQ(step(ID_START_MINUTE, "50", KEY_UP), "0");
  EXPECT_EQ(step(ID_START_MINUTE, "20", KEY_UP), "30");
  EXPECT_EQ(step(ID_START_MINUTE, "10", KEY_DOWN), "45");
  EXPECT_EQ(step(ID_START_MINUTE, "0", KEY_DOWN), "45");
  EXPECT_EQ(step(ID_START_MINUTE, "20", KEY_DOWN), "0");
}

TEST_F(Fields, TheInputMethodIsOpenOnlyInTheTextField) {
  imeOpen = false;
  Focus(ID_TEXT);
  EXPECT_TRUE(imeOpen);
  Focus(ID_RANK);
  EXPECT_FALSE(imeOpen);
  EXPECT_EQ(fields.params.field, F(ID_RANK));
  EXPECT_EQ(fields.params.nextField, F(ID_TEXT));
  EXPECT_EQ(fields.params.maxValue, 9);
}

TEST_F(Fields, TextsReadAsNumbersAndResetEmptiesTheParameters) {
  EXPECT_EQ(Field_Value("--"), 0);
  EXPECT_EQ(Field_Value("12"), 12);
  EXPECT_EQ(Field_Value(""), 0);
  EXPECT_EQ(Field_Value(nullptr), 0);
  EXPECT_EQ(Field_Value("70000"), 70000 - 65536);
  Set(ID_RANK, "0");
  Field_Setup(fields, ID_RANK);
  EXPECT_FALSE(Field_Check(fields, F(ID_RANK)));
  EXPECT_TRUE(fields.valueInvalid);
  EXPECT_EQ(fields.refocusField, F(ID_RANK));
  velmo_test::Drain();
  Field_Setup(fields, ID_START_DAY);
  Field_Setup(fields, 9999);  // unknown: kept
  EXPECT_EQ(fields.params.maxValue, 30);
  EXPECT_EQ(fields.params.nextField, nullptr);  // the end year does not exist here
  Field_Reset(fields);
  EXPECT_EQ(fields.params.field, nullptr);
  EXPECT_EQ(fields.params.spinKind, SPIN_NONE);
  EXPECT_EQ(Field_Find(fields, ID_START_YEAR), nullptr);
}

TEST_F(Fields, TheDialogToolbarCarriesOkCancelAndTheLabels) {
  Dialog_SetToolbar();
  velmo_test::Drain();
  for (int slot = 0; slot < 3; ++slot) EXPECT_FALSE(toolbar.slots[slot].set) << slot;
  EXPECT_STREQ(toolbar.slots[3].label, "  \x8c\x88\x92\xe8  ");
  EXPECT_EQ(toolbar.slots[3].command, CMD_DIALOG_OK);
  EXPECT_STREQ(toolbar.slots[4].label, "  \x8e\xe6\x8f\xc1  ");
  EXPECT_EQ(toolbar.slots[4].command, CMD_DIALOG_CANCEL);
  for (int n = 0; n < 5; ++n) {
    EXPECT_EQ(toolbar.slots[5 + n].command, 3023 + n);
    EXPECT_EQ(std::string(toolbar.slots[5 + n].label), std::string(Label_Name(static_cast<std::uint16_t>(n))).substr(0, 8));
  }
}

TEST_F(Fields, TheRepeatListKeepsItsChoiceAndLeavingItExtendsAOneDayRule) {
  static nwListBox list{};
  static RepeatRows rows;
  const ZebRect rect{208, 118, 136, 52};
  nwObject_Create(&list, nwListBox_Handler, &dialog, &rect);
  Repeat_Bind(&list, rows);
  Repeat_Build(&list, Date_ToDayNo(2024, 6, 15), 0);
  velmo_test::Drain();
  for (int n = 0; n < 4; ++n) nwEvent_SendTo(&list, NW_KEY_DOWN, KEY_DOWN);
  EXPECT_EQ(Repeat_ReadChoice(&list), 4);
  Repeat_Build(&list, Date_ToDayNo(2024, 1, 25), 4);
  velmo_test::Drain();
  EXPECT_EQ(Repeat_ReadChoice(&list), 4);
  EXPECT_STREQ(rows + 4 * REPEAT_ROW_BYTES, "\x8d\xc5\x8f\x49\x96\xd8\x97\x6a\x93\xfa");  // 最終木曜日

  static nwEdit ends[3];
  static char endText[3][8];
  const int endIds[3] = {ID_END_YEAR, ID_END_MONTH, ID_END_DAY};
  const char* endValues[3] = {"2024", "6", "15"};
  for (int i = 0; i < 3; ++i) {
    const ZebRect r{300, 20 + 22 * i, 36, 20};
    nwObject_Create(&ends[i], nwEdit_Handler, &dialog, &r);
    nwEvent_SendTo(&ends[i], NW_SET_ID, endIds[i]);
    Field_Init(fields, &ends[i], endText[i], 4, endValues[i]);
  }
  EXPECT_EQ(Repeat_Leave(fields, &list), 4);
  EXPECT_EQ(Text(ID_END_YEAR), "2025");
  Repeat_Build(&list, Date_ToDayNo(2024, 6, 15), 0);
  velmo_test::Drain();
  EXPECT_EQ(Repeat_Leave(fields, &list), 0);
  EXPECT_EQ(Text(ID_END_YEAR), "2025");
  velmo_test::Drain();
  for (auto& edit : ends) nwObject_Destroy(&edit);
  nwObject_Destroy(&list);
}

}  // namespace
