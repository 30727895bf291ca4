// A browse screen without the main loop: screen, store, title line and the
// browse state set up directly, so the views can be driven call by call.
#pragma once

#include <gtest/gtest.h>

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "host/headless/Headless.h"
#include "shell/Shell.h"
#include "shell/Title.h"
#include "store/MonthRec.h"
#include "store/Store.h"
#include "support/AppScreen.h"
#include "support/Entries.h"
#include "toolkit/nw.h"
#include "views/View.h"

class ViewFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo_test::OpenScreen();
    Store_Init();
    nwObject_Create(&titleBar, Title_Handler, nullptr, &velmo_test::kScreenRect);
    nwEvent_Reset();  // what its creation posted
    Zeb_SetColor(nwContext, ZEB_LIGHT_GREY);
    Zeb_FillBox(nwContext, velmo_test::kScreenRect);
    BrowseState_Reset();
    BrowseState_SetView(VIEW_THREE_MONTHS);
    SetToday(2024, 1, 10);
    BrowseState_SetCursorDate(Date_ToDayNo(2024, 1, 31));
  }

  void TearDown() override {
    Store_Shutdown();
    Date_SetClock(nullptr);
  }

  static void SetToday(int year, int month, int mday) {
    const auto y = static_cast<std::uint16_t>(year);
    const auto m = static_cast<std::uint16_t>(month);
    const auto d = static_cast<std::uint16_t>(mday);
    BrowseState_SetToday(Date_ToDayNo(y, m, d), y, m, d);
  }

  static DayNo Day(int year, int month, int mday) {
    return Date_ToDayNo(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                        static_cast<std::uint16_t>(mday));
  }

  // A one-day entry of the given kind, registered in the store.
  static Entry* AddEntry(EntryKind kind, DayNo day) {
    Entry* e = velmo_test::NewEntry(kind, day, day);
    EXPECT_TRUE(Store_Register(e));
    Store_Invalidate();
    return e;
  }

  static bool Key(int key) { return View_Key(key, 0); }
};
