// A stable identity (the iCalendar UID) for every entry of the store. It
// survives a change in the entry dialog and a cut-and-paste move (the new
// entry inherits it), done marks (made in place) and restarts: it is kept
// in "<record>.uids" beside the record file, one line per saved entry in
// the record file's order, "UID<TAB>fingerprint". Record_Save writes it
// right after the record file; Record_Load reads it back. Entries of one
// imported item share one UID.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

struct Entry;

// The canonical fingerprint of an entry, 16 hex digits + NUL: values that mean the same
// give the same print (interval 0 and 1, masks the repeat type ignores, kind-part bytes
// the kind ignores, the task word), the done mark and its day are part of it; stamps,
// sizes, reserved fields and extra words are not.
void Identity_Fingerprint(const Entry& e, char out[17]);
// The same hash of any bytes, in the same 16 hex digits (prints of items, UIDs made of a seed).
void Identity_HashText(std::string_view bytes, char out[17]);
// The UID of an entry (live or deleted) of the store; made on first ask when it has
// none: "velmo-<fingerprint>@velmo", "-2", "-3"... for equal entries - deterministic, so
// a command that only reads (export) gives the same UIDs every run.
// The text stays valid until the next call that gives an entry a UID (Of
// making one, Set); copy it to keep it.
const char* Identity_Of(const Entry* e);
// e takes uid (copied); false (nothing changed) when uid is empty, over the capacity
// (at least 1024 bytes; server UIDs can be long) or the UID space is full.
// A UID holding a control character (it could not be written on one line
// of the side file) is refused too.
bool Identity_Set(const Entry* e, std::string_view uid);
// heir takes from's UID (the entry dialog's change, a paste of a cut entry) unless a live
// entry other than from already holds it (a second paste of one copy gets its own UID).
void Identity_Inherit(const Entry* heir, const Entry* from);

// Whether e has a UID already (none is made).
bool Identity_Has(const Entry* e);
// A live entry holding uid (made UIDs included); null when none. Where
// several hold it (one imported item), which one is not set.
const Entry* Identity_Find(std::string_view uid);
// The live entries holding uid, in no set order, as many as fit in out;
// returns how many hold it.
std::size_t Identity_Holders(std::string_view uid, std::span<const Entry*> out);

// The side file's name, "<record>.uids"; false when it does not fit.
bool Identity_SidePath(char* out, std::size_t size);
// For Record_Load: the count entries registered from table index first on
// take their UIDs from the side file (line i goes to entry i when the
// fingerprints agree, else the first unused line with the entry's
// fingerprint; else the entry gets one made on ask). A missing, damaged or
// hostile side file costs UIDs, never entries.
void Identity_ReadSide(std::uint16_t first, std::uint16_t count);
// For Record_Save: writes the side file whole, with the record file's
// permission bits; false when it could not be written.
bool Identity_WriteSide();
