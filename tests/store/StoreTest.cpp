#include <gtest/gtest.h>

#include <cstdint>

#include "store/Store.h"
#include "support/Entries.h"

namespace {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { Store_Init(); }
  void TearDown() override {
    Store_Shutdown();
    Date_SetClock(nullptr);
  }

  static Entry* Make(DayNo start, DayNo end, EntryKind kind = KIND_SCHEDULE) {
    return velmo_test::NewEntry(kind, start, end);
  }
};

TEST_F(StoreTest, RegisterRefusesZeroStartAndStartAfterEnd) {
  EXPECT_TRUE(Store_Register(Make(100, 100)));
  EXPECT_FALSE(Store_Register(Make(101, 100)));
  EXPECT_FALSE(Store_Register(Make(0, 100)));
  EXPECT_FALSE(Store_Register(nullptr));
  EXPECT_EQ(Store_Count(), 1);
}

TEST_F(StoreTest, RegisterDerivesTheStartMonth) {
  Entry* e = Make(Date_ToDayNo(2000, 12, 25), Date_ToDayNo(2000, 12, 26));
  ASSERT_TRUE(Store_Register(e));
  EXPECT_EQ(e->startMonthNo, 1211);
  EXPECT_EQ(e->startMonth, 12);
  EXPECT_EQ(e->startMday, 25);
}

TEST_F(StoreTest, RegisterRefusesAnEntryTooLongForTheFile) {
  Entry* e = Make(5, 5);
  e->textLen = 0xFFFF - 40 + 1;
  EXPECT_FALSE(Store_Register(e));
  e->textLen = 0xFFFF - 40;
  EXPECT_TRUE(Store_Register(e));
}

TEST_F(StoreTest, TheTableHoldsSixThousandEntries) {
  for (std::size_t i = 0; i < cap::kEntries; ++i) ASSERT_TRUE(Store_Register(Make(7, 9)));
  Entry* extra = Make(7, 9);
  EXPECT_FALSE(Store_Register(extra));
  EXPECT_EQ(Store_Count(), cap::kEntries);
}

TEST_F(StoreTest, IterationReturnsTableOrderWithDeletedEntries) {
  Entry* a = Make(10, 20);
  Entry* b = Make(15, 15);
  Entry* c = Make(30, DAY_OPEN_END, KIND_TASK);
  for (Entry* e : {a, b, c}) ASSERT_TRUE(Store_Register(e));
  Store_Delete(b);
  std::uint16_t pos = Store_First();
  EXPECT_EQ(Store_Next(pos), a);
  EXPECT_EQ(Store_Next(pos), b);
  EXPECT_EQ(b->kind, KIND_DELETED);
  EXPECT_EQ(Store_Next(pos), c);
  EXPECT_EQ(Store_Next(pos), nullptr);
  EXPECT_EQ(Store_Next(pos), nullptr);
}

void NoonClock(DateClock& out) {
  out = DateClock{};
  out.year = 2024;
  out.month = 2;
  out.mday = 29;
  out.hour = 13;
  out.minute = 45;
}

TEST_F(StoreTest, DeleteStampsAndInvalidates) {
  Date_SetClock(NoonClock);
  Store_SetStampValue(7);
  Entry* e = Make(10, 20);
  e->stampSeq = 99;
  ASSERT_TRUE(Store_Register(e));
  const std::uint32_t before = Store_Filter().generation;
  Store_Delete(e);
  EXPECT_EQ(e->kind, KIND_DELETED);
  EXPECT_EQ(e->stampSeq, 7);
  EXPECT_EQ(e->stampDay, Date_ToDayNo(2024, 2, 29));
  EXPECT_EQ(e->stampHour, 13);
  EXPECT_EQ(e->stampMinute, 45);
  EXPECT_NE(Store_Filter().generation, before);
  EXPECT_EQ(Store_SetStampValue(0), 7);
}

TEST_F(StoreTest, InitResetsSwitchesAndFilters) {
  Store_SetDropDeleted(true);
  Store_Filter().labelVisible[3] = false;
  Store_Filter().saturdayHoliday = true;
  ASSERT_TRUE(Store_Register(Make(1, 1)));
  const std::uint32_t before = Store_Filter().generation;
  EXPECT_TRUE(Store_Init());
  EXPECT_FALSE(Store_DropDeleted());
  EXPECT_EQ(Store_Count(), 0);
  EXPECT_EQ(Store_EntryBlocks(), 0);
  EXPECT_TRUE(Store_Filter().labelVisible[3]);
  EXPECT_FALSE(Store_Filter().saturdayHoliday);
  EXPECT_NE(Store_Filter().generation, before);
  EXPECT_FALSE(Store_SetDropDeleted(true));
  EXPECT_TRUE(Store_SetDropDeleted(false));
}

TEST_F(StoreTest, TwoHundredFiftySixEntriesFillOneBlock) {
  Entry* first = Store_AllocEntries(1);
  for (int i = 1; i < 256; ++i) ASSERT_NE(Store_AllocEntries(1), nullptr);
  EXPECT_EQ(Store_EntryBlocks(), 1);
  Entry* next = Store_AllocEntries(1);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(Store_EntryBlocks(), 2);
  EXPECT_TRUE(next < first || next >= first + 256);
}

TEST_F(StoreTest, RequestsLargerThanABlockAreRefused) {
  EXPECT_EQ(Store_AllocEntries(257), nullptr);
  EXPECT_EQ(Store_AllocWords(8193), nullptr);
  EXPECT_EQ(Store_AllocBytes(16385), nullptr);
  EXPECT_EQ(Store_AllocBytes(0), nullptr);
  EXPECT_NE(Store_AllocEntries(256), nullptr);
  EXPECT_NE(Store_AllocWords(8192), nullptr);
  EXPECT_NE(Store_AllocBytes(16384), nullptr);
}

TEST_F(StoreTest, AFullBlockIsNotSharedAndThePoolStopsAtFortyEightBlocks) {
  char* a = Store_AllocBytes(10000);
  char* b = Store_AllocBytes(10000);  // does not fit the rest: a new block
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Store_ByteBlocks(), 2);
  for (std::size_t i = 2; i < cap::kPoolBlocks; ++i) ASSERT_NE(Store_AllocBytes(16384), nullptr);
  EXPECT_EQ(Store_AllocBytes(1), nullptr);
  EXPECT_EQ(Store_ByteBlocks(), cap::kPoolBlocks);
  for (std::size_t i = 0; i < cap::kPoolBlocks; ++i) ASSERT_NE(Store_AllocWords(8192), nullptr);
  EXPECT_EQ(Store_AllocWords(1), nullptr);
}

TEST_F(StoreTest, BytePoolSpaceStaysEvenSoADoneWordIsAligned) {
  char* odd = Store_AllocBytes(3);
  char* next = Store_AllocBytes(2);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(next) % 2, 0u);
  EXPECT_GE(next, odd + 3);
}

}  // namespace
