// The dialogs' fields, one row per field id, the way a dialog resource keeps
// them: the entry dialog's widget and buffer, where the field lies in each
// entry layout and its captions, where the search or jump dialog puts it, and
// the rule that checks, steps and advances it in every dialog.
#pragma once

#include <optional>
#include <span>

#include "dialogs/EntryLayout.h"

struct LayoutPoint {
  int x, y;
};

// A caption stands this far right of the field it follows and this far below
// its anchor's row.
inline constexpr int CAPTION_GAP = 2;
inline constexpr int CAPTION_DROP = 2;
// The rule under a dialog's title ends this far from either side.
inline constexpr int DIALOG_RULE_INSET = 20;

// A dialog's size and title rows, and the anchors every entry field lies at,
// one set per entry layout (the search and jump dialog use the first rows).
struct DialogLayout {
  int width, height;
  int titleY, ruleY;
  LayoutPoint text, textSize;
  LayoutPoint startDate, endDate, startTime, endTime, rank;
  LayoutPoint repeat, repeatSize;
  bool repeatCaption;  // the small layout has no room for it
  LayoutPoint repeatCaptionPos, interval, label;
};

// How a field's value counts as complete for the automatic advance.
enum class FieldComplete { Never, AtMin, AtLeast, ZeroOrAtLeast };

// A field's range, stepping, completion and the field the focus moves to
// once its value is complete (by the dialog's mode where successor is 0).
struct FieldRule {
  std::uint16_t minValue;
  std::uint16_t maxValue;  // 0 with a day field: the month's length
  std::uint16_t spinKind;
  FieldComplete complete;
  std::uint16_t threshold;
  int successor;
  int (*successorByMode)(DialogMode mode);
};

// The entry modes a field is shown in.
enum class FieldPresence { All, WithEnd, Schedule, Task };
enum class FieldKind { Editor, Label, List };

// A text drawn at an anchor of the layout, CAPTION_DROP below the anchor's row.
struct FieldCaption {
  LayoutPoint DialogLayout::*anchor;  // null: none
  int dx;
  const char* text;
};

// Where the entry dialog shows a field.
struct EntryPlace {
  FieldPresence presence;
  bool tab;
  LayoutPoint DialogLayout::*anchor;
  ZebRect offset;                   // from the anchor; size 0: the layout's
  LayoutPoint DialogLayout::*size;  // the layout's size, with offset's size 0
  std::array<FieldCaption, 2> captions;
};

// Where the search or jump dialog shows a field, relative to that dialog,
// how many bytes it holds there (0: not in either) and the caption after it.
struct InputPlace {
  ZebRect rect;
  int capacity;
  const char* caption;  // null: none
};

struct FieldRow {
  int id;
  FieldKind kind;
  EntryChild (*widget)(EntryWidgets& w);  // the entry dialog's widget and buffer
  EntryPlace place;
  InputPlace input;
  std::optional<FieldRule> rule;  // none: neither checked nor stepped
};

// Every row, in the entry dialog's creation order, which is its tab order.
std::span<const FieldRow> FieldTable_Rows();
// The row of that field id; null when none.
const FieldRow* FieldTable_Row(int id);
