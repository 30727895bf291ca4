// The record file: a run of little-endian entry records closed by an end
// record (u16 4, u16 2). Loading fills the entry store; saving writes the
// whole store to a temporary file and renames it over the record file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct Entry;

// Why a load stopped short.
enum RecordStop : std::uint8_t {
  RECORD_OK = 0,
  RECORD_UNREADABLE,        // there but cannot be opened, stat'ed or read: never to be saved over
  RECORD_DAMAGED,           // record longer than the bytes left, size disagrees with lengths, dates or repeat rule refused
  RECORD_BLOCK_TOO_LONG,    // a data block longer than one pool block
  RECORD_NO_MEMORY,         // a pool is exhausted
  RECORD_TABLE_FULL,        // the entry table already holds its 6000 entries
  RECORD_MISSING,           // no such file (a first run)
};

struct RecordLoadInfo {
  RecordStop stop;           // RECORD_OK when the load succeeded
  std::uint32_t stopOffset;  // byte offset of the record where it stopped
  std::uint16_t loaded;      // entries registered by this load
  int error;                 // errno when missing or unreadable
};

// Called for every entry registered by a load, with its record's byte offset.
using RecordEntryFn = void (*)(const Entry& e, std::uint32_t offset, void* context);

bool Record_SetPath(const char* name);  // false (path unchanged) for null or longer than 255
const char* Record_Path();              // default "record"
// The sync's settings, beside the record file (velmo-cli sync keeps them; the
// window program syncs when they are there).
inline constexpr const char* RECORD_SYNC_CONF = "sync.conf";
// out: the folder part of the record file's name, then name: a file that
// lives beside the record file. False when it does not fit.
bool Record_Beside(const char* name, char* out, std::size_t size);

// Reads the whole file named by Record_Path and parses it into the store,
// and the loaded entries' identities from its side file (files/Identity.h).
bool Record_Load(RecordEntryFn onEntry = nullptr, void* context = nullptr);
// Parses a file image already in memory; never reads outside it. No side file.
bool Record_LoadSpan(std::span<const std::uint8_t> bytes, RecordEntryFn onEntry = nullptr,
                     void* context = nullptr);
const RecordLoadInfo& Record_LastLoad();
// Whether an open that failed with this errno means the file is not there.
bool Record_NoSuchFile(int error);
const char* Record_StopText(RecordStop stop);  // short English reason

// Writes the store (deleted entries left out when the drop switch is on) to a
// temporary file beside the record file, syncs it and renames it over. On any
// failure (a read-only record file included) the old file is untouched, the
// temporary removed, and false returned.
// Recomputes each saved entry's size. Then writes the identities' side file
// (files/Identity.h); false when either could not be written.
bool Record_Save();
// Whether the last Record_Save failed only beside the record file: the record
// file was replaced, its UIDs (Identity) could not be written.
bool Record_SavedWithoutSide();
// Whether a save writes e (deleted entries are left out when the drop switch is on).
bool Record_Saved(const Entry& e);
// Writes bytes as the file path in one step (Files_ReplaceWhole, with the
// record file's bits). A failure leaves an older file at path untouched and
// no temporary behind.
bool Record_WriteWhole(const char* path, std::span<const std::uint8_t> bytes);
// False when the record file is there but read-only (no write bit, or not
// writable by this process): a save must not rename over it.
bool Record_Writable();
// The four kind-part bytes of e as they are saved (zeros for kinds without one).
void Record_KindPart(const Entry& e, std::uint8_t out[4]);
// The image Record_Save writes; null (size 0) when an entry cannot be encoded
// or memory runs out.
// Valid until the next call.
std::span<const std::uint8_t> Record_BuildImage();
