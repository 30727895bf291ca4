// Velmo's own properties (X-VELMO-*): what an entry holds that the ordinary
// properties cannot carry (kinds 5 and 7, kind-part bytes, labels without a
// name, rule bytes the rule does not use, texts and links iCalendar cannot
// hold byte for byte), written only beside them. The import of Velmo's own
// export takes each one only where the ordinary properties still say what
// they said when it was written: an item changed by another calendar is
// read by its ordinary properties.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "IcsImport.h"
#include "IcsLines.h"
#include "store/Store.h"

// The text as SUMMARY and DESCRIPTION carry it: UTF-8, carriage returns left out.
std::string IcsOwn_Utf8Text(std::string_view sjis);
// What the import makes of such a text: CR LF and a lone CR as line feeds,
// in Shift-JIS; characters Shift-JIS lacks are counted in missing.
std::string IcsOwn_SjisText(std::string_view utf8, unsigned& missing);
// The link as ATTACH carries it: UTF-8 without control characters, which
// would end the content line.
std::string IcsOwn_LinkValue(std::string_view sjis);

// Adds e's own properties to the component written for it.
void IcsOwn_Put(IcsComponent& c, const Entry& e);

// A component's own properties as read; unset where absent or malformed.
struct IcsOwn {
  EntryKind kind = 0;  // 5 or 7
  bool hasPart = false, hasRule = false, hasText = false, hasLink = false;
  std::uint8_t part[4] = {0, 0, 0, 0};
  int label = -1;
  Entry rule{};  // repeat, interval, masks and startDay
  DayNo done = DAY_NONE;
  std::string text, link;  // Shift-JIS
};
IcsOwn IcsOwn_Read(const IcsComponent& c);

// Gives the entries made of one component (timed: its DTSTART has a time)
// what its own properties keep, where they agree with the ordinary ones.
void IcsOwn_Apply(const IcsOwn& own, bool timed, std::span<IcsItem> items);
// The kind part of an imported entry that keeps its bytes.
void IcsOwn_SetKindPart(Entry& e, const std::uint8_t part[4]);
