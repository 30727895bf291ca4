// What iCalendar export and import share: the entries' UIDs and the side
// file that remembers the UIDs of imported items.
#pragma once

#include <map>
#include <set>
#include <string>

#include "store/Store.h"

// The PRODID export-ics writes; import-ics knows its own files by it.
inline constexpr const char* ICS_PRODID = "-//Velmo//velmo-cli//EN";

// A hash of what makes an entry itself (not its done mark), as 16 hex digits.
std::string IcsShared_Fingerprint(const Entry& e);

// The UIDs of the store's entries in table order (deleted ones empty): a
// remembered UID for an entry imported with it, otherwise one made from the
// fingerprint, unique within the store.
// The entries one item became share its UID; export writes them as that one
// item again, or, where it cannot, names the second and later UID/2, UID/3, ...
struct IcsUids {
  std::multimap<std::string, std::string> remembered;  // UID -> fingerprint of each entry, from the side file
  std::set<std::string> known;                          // every UID the record holds
  std::set<std::string> present;  // remembered UIDs with an entry in the record as imported
};
// Reads "<record>.uids" (a missing file is empty) and names every entry.
void IcsShared_LoadUids(IcsUids& uids, std::string* perEntry = nullptr, std::size_t count = 0);
// Writes "<record>.uids" whole (temporary file, then rename); false on failure.
bool IcsShared_SaveUids(const IcsUids& uids);
std::string IcsShared_UidsPath();
