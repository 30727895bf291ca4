// The field table: every field's facts in its one row.
#include "dialogs/FieldTable.h"

#include "Capacity.h"
#include "calendar/Date.h"

namespace {

constexpr const char* kYear = "\x94\x4e";                            // 年
constexpr const char* kMonth = "\x8c\x8e";                           // 月
constexpr const char* kDay = "\x93\xfa";                             // 日
constexpr const char* kTilde = "\x81\x60";                           // ～
constexpr const char* kHour = "\x8e\x9e";                            // 時
constexpr const char* kMinuteTo = "\x95\xaa\x81\x60";                // 分～
constexpr const char* kMinute = "\x95\xaa";                          // 分
constexpr const char* kRank = "\x83\x89\x83\x93\x83\x4e";            // ランク
constexpr const char* kRepeat = "\x8c\x4a\x82\xe8\x95\xd4\x82\xb5";  // 繰り返し
constexpr const char* kEvery = "\x82\xc2\x82\xa8\x82\xab";           // つおき

constexpr std::uint16_t kDayFromMonth = 0;

int StartDaySuccessor(DialogMode mode) {
  if (Dialog_HasEndDate(mode)) return ID_END_YEAR;
  if (Dialog_IsTaskMode(mode)) return ID_RANK;
  if (mode == DLG_JUMP) return ID_START_YEAR;
  return 0;
}

int EndDaySuccessor(DialogMode mode) {
  if (Dialog_IsScheduleMode(mode)) return ID_START_HOUR;
  if (Dialog_IsHolidayMode(mode)) return ID_REPEAT;
  if (mode == DLG_JUMP) return ID_START_YEAR;
  return 0;
}

int TextSuccessor(DialogMode mode) { return mode == DLG_SEARCH ? ID_TEXT : ID_START_YEAR; }

using L = DialogLayout;
using enum FieldKind;
using enum FieldPresence;
using enum FieldComplete;

constexpr FieldRule kYearRule{.minValue = DATE_DIALOG_FIRST_YEAR, .maxValue = DATE_DIALOG_LAST_YEAR, .spinKind = SPIN_STEP, .complete = AtMin};
constexpr FieldRule kMonthRule{
    .minValue = 1, .maxValue = 12, .spinKind = SPIN_STEP, .complete = AtLeast, .threshold = 2};
constexpr FieldRule kDayRule{
    .minValue = 1, .maxValue = kDayFromMonth, .spinKind = SPIN_STEP, .complete = AtLeast, .threshold = 4};
constexpr FieldRule kHourRule{
    .minValue = 0, .maxValue = 24, .spinKind = SPIN_STEP, .complete = ZeroOrAtLeast, .threshold = 3};
constexpr FieldRule kMinuteRule{
    .minValue = 0, .maxValue = 59, .spinKind = SPIN_QUARTER, .complete = ZeroOrAtLeast, .threshold = 6};

// A field's widget and its buffer, which holds its capacity and a NUL.
template <std::size_t N>
EntryChild Child(nwObject& object, char (&buffer)[N]) {
  return {&object, buffer, static_cast<int>(N) - 1};
}

// A rule with the field the focus moves to.
constexpr FieldRule Then(FieldRule rule, int successor) {
  rule.successor = successor;
  return rule;
}
constexpr FieldRule ThenByMode(FieldRule rule, int (*successorByMode)(DialogMode)) {
  rule.successorByMode = successorByMode;
  return rule;
}

const FieldRow kRows[] = {
    {.id = ID_TEXT, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.text, w.textBuffer); },
     .place = {.presence = All, .tab = true, .anchor = &L::text, .offset = {}, .size = &L::textSize},
     .input = {.rect = {(156 - 16 * 8) / 2, 40, 16 * 8 + 4, 20}, .capacity = static_cast<int>(cap::kSearchText)},
     .rule = ThenByMode({.spinKind = SPIN_NONE, .complete = Never}, TextSuccessor)},
    {.id = ID_START_YEAR, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.startYear, w.startYearBuffer); },
     .place = {.presence = All, .tab = true, .anchor = &L::startDate, .offset = {0, 0, 36, 20},
               .captions = {{{&L::startDate, 38, kYear}}}},
     .input = {.rect = {12, 40, 36, 20}, .capacity = 4, .caption = kYear},
     .rule = Then(kYearRule, ID_START_MONTH)},
    {.id = ID_START_MONTH, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.startMonth, w.startMonthBuffer); },
     .place = {.presence = All, .tab = true, .anchor = &L::startDate, .offset = {56, 0, 20, 20},
               .captions = {{{&L::startDate, 78, kMonth}}}},
     .input = {.rect = {68, 40, 20, 20}, .capacity = 2, .caption = kMonth},
     .rule = Then(kMonthRule, ID_START_DAY)},
    {.id = ID_START_DAY, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.startDay, w.startDayBuffer); },
     .place = {.presence = All, .tab = true, .anchor = &L::startDate, .offset = {96, 0, 20, 20},
               .captions = {{{&L::startDate, 118, kDay}}}},
     .input = {.rect = {108, 40, 20, 20}, .capacity = 2, .caption = kDay},
     .rule = ThenByMode(kDayRule, StartDaySuccessor)},
    {.id = ID_START_WEEKDAY, .kind = Label,
     .widget = [](EntryWidgets& w) { return Child(w.startWeekday, w.startWeekdayBuffer); },
     .place = {.presence = All, .tab = false, .anchor = &L::startDate, .offset = {144, 2, 16, 20},
               .captions = {{{&L::startDate, 134, "("}, {&L::startDate, 160, ")"}}}}},
    {.id = ID_END_YEAR, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.endYear, w.endYearBuffer); },
     .place = {.presence = WithEnd, .tab = true, .anchor = &L::endDate, .offset = {0, 0, 36, 20},
               .captions = {{{&L::endDate, 38, kYear}, {&L::startDate, 168, kTilde}}}},
     .rule = Then(kYearRule, ID_END_MONTH)},
    {.id = ID_END_MONTH, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.endMonth, w.endMonthBuffer); },
     .place = {.presence = WithEnd, .tab = true, .anchor = &L::endDate, .offset = {56, 0, 20, 20},
               .captions = {{{&L::endDate, 78, kMonth}}}},
     .rule = Then(kMonthRule, ID_END_DAY)},
    {.id = ID_END_DAY, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.endDay, w.endDayBuffer); },
     .place = {.presence = WithEnd, .tab = true, .anchor = &L::endDate, .offset = {96, 0, 20, 20},
               .captions = {{{&L::endDate, 118, kDay}}}},
     .rule = ThenByMode(kDayRule, EndDaySuccessor)},
    {.id = ID_END_WEEKDAY, .kind = Label,
     .widget = [](EntryWidgets& w) { return Child(w.endWeekday, w.endWeekdayBuffer); },
     .place = {.presence = WithEnd, .tab = false, .anchor = &L::endDate, .offset = {144, 2, 16, 20},
               .captions = {{{&L::endDate, 134, "("}, {&L::endDate, 160, ")"}}}}},
    {.id = ID_START_HOUR, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.startHour, w.startHourBuffer); },
     .place = {.presence = Schedule, .tab = true, .anchor = &L::startTime, .offset = {0, 0, 20, 20},
               .captions = {{{&L::startTime, 22, kHour}}}},
     .rule = Then(kHourRule, ID_START_MINUTE)},
    {.id = ID_START_MINUTE, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.startMinute, w.startMinuteBuffer); },
     .place = {.presence = Schedule, .tab = true, .anchor = &L::startTime, .offset = {40, 0, 20, 20},
               .captions = {{{&L::startTime, 62, kMinuteTo}}}},
     .rule = Then(kMinuteRule, ID_END_HOUR)},
    {.id = ID_END_HOUR, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.endHour, w.endHourBuffer); },
     .place = {.presence = Schedule, .tab = true, .anchor = &L::endTime, .offset = {0, 0, 20, 20},
               .captions = {{{&L::endTime, 22, kHour}}}},
     .rule = Then(kHourRule, ID_END_MINUTE)},
    {.id = ID_END_MINUTE, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.endMinute, w.endMinuteBuffer); },
     .place = {.presence = Schedule, .tab = true, .anchor = &L::endTime, .offset = {40, 0, 20, 20},
               .captions = {{{&L::endTime, 62, kMinute}}}},
     .rule = Then(kMinuteRule, ID_REPEAT)},
    {.id = ID_RANK, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.rank, w.rankBuffer); },
     .place = {.presence = Task, .tab = true, .anchor = &L::rank, .offset = {52, 0, 12, 20},
               .captions = {{{&L::rank, 0, kRank}}}},
     .rule = FieldRule{.minValue = 1, .maxValue = 9, .spinKind = SPIN_STEP, .complete = AtMin,
                       .successor = ID_TEXT}},
    {.id = ID_REPEAT, .kind = List,
     .widget = [](EntryWidgets& w) { return EntryChild{&w.repeat, nullptr, 0}; },
     .place = {.presence = WithEnd, .tab = true, .anchor = &L::repeat, .offset = {}, .size = &L::repeatSize,
               .captions = {{{&L::repeatCaptionPos, 0, kRepeat}}}},
     .rule = FieldRule{.spinKind = SPIN_NONE, .complete = Never, .successor = ID_INTERVAL}},
    {.id = ID_INTERVAL, .kind = Editor,
     .widget = [](EntryWidgets& w) { return Child(w.interval, w.intervalBuffer); },
     .place = {.presence = WithEnd, .tab = true, .anchor = &L::interval, .offset = {0, 0, 20, 20},
               .captions = {{{&L::interval, 22, kEvery}}}},
     .rule = FieldRule{.minValue = 1, .maxValue = 99, .spinKind = SPIN_NONE, .complete = AtLeast,
                       .threshold = 10, .successor = ID_TEXT}},
    {.id = ID_LABEL, .kind = Label,
     .widget = [](EntryWidgets& w) { return Child(w.label, w.labelBuffer); },
     .place = {.presence = All, .tab = false, .anchor = &L::label, .offset = {0, 0, 68, 20}}},
};

}  // namespace

std::span<const FieldRow> FieldTable_Rows() { return kRows; }

const FieldRow* FieldTable_Row(int id) {
  for (const FieldRow& row : kRows) {
    if (row.id == id) return &row;
  }
  return nullptr;
}
