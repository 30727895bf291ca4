#include "files/Record.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "Capacity.h"
#include "files/Files.h"
#include "files/Identity.h"
#include "platform/Platform.h"
#include "store/Store.h"

namespace {

constexpr std::size_t kHeaderNoKindPart = 36;
constexpr std::size_t kEndRecordBytes = 4;

// A load stops long before kRecordReadMax: every registered record takes a
// table slot and its data comes from the word and byte pools.
static_assert(cap::kRecordReadMax >
              cap::kEntries * ENTRY_FILE_HEADER + 2 * cap::kPoolBlocks * cap::kPoolBlockBytes +
                  ENTRY_FILE_HEADER + 4 * 0xFFFFu);

char recordPath[cap::kFileName] = "record";
bool withoutSide = false;  // the last save replaced the record file, not the UIDs beside it
RecordLoadInfo lastLoad{};
// The last image built; it grows as needed and is kept between saves.
std::unique_ptr<std::uint8_t[]> image;
std::size_t imageCapacity = 0;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint8_t* Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  return p + 2;
}

std::uint8_t* Put32(std::uint8_t* p, std::uint32_t v) {
  p = Put16(p, static_cast<std::uint16_t>(v));
  return Put16(p, static_cast<std::uint16_t>(v >> 16));
}

std::size_t DataLength(const Entry& e) {
  return std::size_t{e.extraLen} + e.doneLen + e.textLen + e.linkLen;
}

std::size_t HeaderLength(EntryKind kind) {
  return Entry_HasKindPart(kind) ? ENTRY_FILE_HEADER : kHeaderNoKindPart;
}

void ReadKindPart(const std::uint8_t* p, Entry& e) {
  switch (e.kind) {
    case KIND_TIMED:
      e.startHour = p[0];
      e.startMinute = p[1];
      break;
    case KIND_SCHEDULE:
      e.startHour = p[0];
      e.startMinute = p[1];
      e.endHour = p[2];
      e.endMinute = p[3];
      break;
    case KIND_OPAQUE:
      e.taskWord = U16(p);
      e.rank = p[2];
      e.kindByte3 = p[3];
      break;
    case KIND_TASK:
      e.taskWord = U16(p);
      e.rank = p[2];
      break;
    default:  // holidays: four reserved bytes
      break;
  }
}

void ReadHeader(const std::uint8_t* p, Entry& e) {
  e.size = U16(p);
  e.kind = U16(p + 2);
  e.reserved1 = U16(p + 4);
  e.reserved2 = U32(p + 6);
  e.reserved3 = U16(p + 10);
  e.label = U16(p + 12);
  e.startDay = U16(p + 14);
  e.endDay = U16(p + 16);
  e.stampSeq = U16(p + 18);
  e.stampDay = U16(p + 20);
  e.stampHour = p[22];
  e.stampMinute = p[23];
  e.repeat = p[24];
  e.interval = p[25];
  e.weekMask = p[26];
  e.weekdayMask = p[27];
  e.extraLen = U16(p + 28);
  e.doneLen = U16(p + 30);
  e.textLen = U16(p + 32);
  e.linkLen = U16(p + 34);
  if (Entry_HasKindPart(e.kind)) ReadKindPart(p + 36, e);
}

// Copies a word block; an odd length gets a rounded-up block with a zero pad.
bool CopyWords(const std::uint8_t*& from, std::uint16_t length, std::uint16_t*& to) {
  to = nullptr;
  if (length == 0) return true;
  to = Store_AllocWords((length + 1u) / 2);
  if (to == nullptr) return false;
  if (length & 1) to[length / 2] = 0;
  std::memcpy(to, from, length);
  from += length;
  return true;
}

bool CopyBytes(const std::uint8_t*& from, std::uint16_t length, char*& to) {
  to = nullptr;
  if (length == 0) return true;
  to = Store_AllocBytes(length);
  if (to == nullptr) return false;
  std::memcpy(to, from, length);
  from += length;
  return true;
}

bool BlockTooLong(const Entry& e) {
  constexpr std::size_t kMax = cap::kPoolBlockBytes;
  return e.extraLen > kMax || e.doneLen > kMax || e.textLen > kMax || e.linkLen > kMax;
}

// Checks one record at p (left bytes remain) and registers it. On success
// length is the record's byte length, 0 for the end record.
RecordStop LoadRecord(const std::uint8_t* p, std::size_t left, std::size_t& length,
                      Entry*& loaded) {
  length = 0;
  loaded = nullptr;
  if (left < kEndRecordBytes) return RECORD_DAMAGED;
  const std::uint16_t size = U16(p);
  const EntryKind kind = U16(p + 2);
  if (kind == KIND_END) return size > left ? RECORD_DAMAGED : RECORD_OK;
  // Records without kind part are 4 bytes shorter than their size says:
  // advance by what is there, so such records never eat into the next one.
  const std::size_t header = HeaderLength(kind);
  if (left < header) return RECORD_DAMAGED;
  Entry e{};
  ReadHeader(p, e);
  if (size != ENTRY_FILE_HEADER + DataLength(e)) return RECORD_DAMAGED;
  if (header + DataLength(e) > left) return RECORD_DAMAGED;
  if (BlockTooLong(e)) return RECORD_BLOCK_TOO_LONG;
  if (e.startDay == DAY_NONE || e.startDay > e.endDay) return RECORD_DAMAGED;
  // The month expansion knows no other rule: refused here, where the whole
  // file is kept and the user told, instead of stopping the program later.
  if (e.repeat > REPEAT_YEAR_WEEKDAY) return RECORD_DAMAGED;
  if (Store_Count() >= cap::kEntries) return RECORD_TABLE_FULL;
  Entry* slot = Store_AllocEntries(1);
  if (slot == nullptr) return RECORD_NO_MEMORY;
  const std::uint8_t* data = p + header;
  if (!CopyWords(data, e.extraLen, e.extra) || !CopyWords(data, e.doneLen, e.done) ||
      !CopyBytes(data, e.textLen, e.text) || !CopyBytes(data, e.linkLen, e.link))
    return RECORD_NO_MEMORY;
  *slot = e;
  if (!Store_Register(slot)) return RECORD_DAMAGED;
  length = header + DataLength(e);
  loaded = slot;
  return RECORD_OK;
}

bool Finish(RecordStop stop, std::size_t offset) {
  lastLoad.stop = stop;
  lastLoad.stopOffset = static_cast<std::uint32_t>(offset);
  return stop == RECORD_OK;
}

// Only a missing file may be replaced unread: anything else is the user's
// data that this run could not see.
bool FinishUnread(int error) {
  lastLoad.error = error;
  return Finish(Record_NoSuchFile(error) ? RECORD_MISSING : RECORD_UNREADABLE, 0);
}

std::size_t EncodedLength(const Entry& e) { return HeaderLength(e.kind) + DataLength(e); }

void EncodeKindPart(const Entry& e, std::uint8_t part[4]) {
  std::memset(part, 0, 4);
  switch (e.kind) {
    case KIND_TIMED:
      part[0] = e.startHour;
      part[1] = e.startMinute;
      break;
    case KIND_SCHEDULE:
      part[0] = e.startHour;
      part[1] = e.startMinute;
      part[2] = e.endHour;
      part[3] = e.endMinute;
      break;
    case KIND_OPAQUE:
      Put16(part, e.taskWord);
      part[2] = e.rank;
      part[3] = e.kindByte3;
      break;
    case KIND_TASK:
      Put16(part, e.taskWord);
      part[2] = e.rank;
      break;
    default:
      break;
  }
}

std::uint8_t* PutKindPart(std::uint8_t* p, const Entry& e) {
  std::uint8_t part[4];
  EncodeKindPart(e, part);
  std::memcpy(p, part, 4);
  return p + 4;
}

std::uint8_t* PutBlock(std::uint8_t* p, const void* data, std::uint16_t length) {
  if (length == 0) return p;
  if (data != nullptr) {
    std::memcpy(p, data, length);
  } else {
    std::memset(p, 0, length);
  }
  return p + length;
}

std::uint8_t* PutEntry(std::uint8_t* p, Entry& e) {
  e.size = static_cast<std::uint16_t>(ENTRY_FILE_HEADER + DataLength(e));
  p = Put16(p, e.size);
  p = Put16(p, e.kind);
  p = Put16(p, e.reserved1);
  p = Put32(p, e.reserved2);
  p = Put16(p, e.reserved3);
  p = Put16(p, e.label);
  p = Put16(p, e.startDay);
  p = Put16(p, e.endDay);
  p = Put16(p, e.stampSeq);
  p = Put16(p, e.stampDay);
  const std::uint8_t bytes[6] = {e.stampHour, e.stampMinute, e.repeat,
                                 e.interval,  e.weekMask,    e.weekdayMask};
  std::memcpy(p, bytes, sizeof bytes);
  p += sizeof bytes;
  p = Put16(p, e.extraLen);
  p = Put16(p, e.doneLen);
  p = Put16(p, e.textLen);
  p = Put16(p, e.linkLen);
  if (Entry_HasKindPart(e.kind)) p = PutKindPart(p, e);
  p = PutBlock(p, e.extra, e.extraLen);
  p = PutBlock(p, e.done, e.doneLen);
  p = PutBlock(p, e.text, e.textLen);
  return PutBlock(p, e.link, e.linkLen);
}

}  // namespace

bool Record_Saved(const Entry& e) { return !(Store_DropDeleted() && e.kind == KIND_DELETED); }

// A private record file stays private in every copy: the new file gets its
// bits from the start, so no byte is ever readable under wider ones.
bool Record_Writable() { return Platform_Writable(recordPath); }

bool Record_SetPath(const char* name) {
  if (name == nullptr || name[0] == '\0' || std::strlen(name) >= sizeof recordPath) return false;
  std::snprintf(recordPath, sizeof recordPath, "%s", name);
  return true;
}

const char* Record_Path() { return recordPath; }

bool Record_Beside(const char* name, char* out, std::size_t size) {
  const char* slash = std::strrchr(recordPath, '/');
  const int folder = slash != nullptr ? static_cast<int>(slash - recordPath + 1) : 0;
  const int n = std::snprintf(out, size, "%.*s%s", folder, recordPath, name);
  return n >= 0 && static_cast<std::size_t>(n) < size;
}

void Record_KindPart(const Entry& e, std::uint8_t out[4]) { EncodeKindPart(e, out); }

const RecordLoadInfo& Record_LastLoad() { return lastLoad; }

bool Record_NoSuchFile(int error) { return error == ENOENT || error == ENOTDIR; }

const char* Record_StopText(RecordStop stop) {
  switch (stop) {
    case RECORD_OK: return "loaded";
    case RECORD_UNREADABLE: return "cannot be read";
    case RECORD_MISSING: return "no such file";
    case RECORD_DAMAGED: return "damaged record";
    case RECORD_BLOCK_TOO_LONG: return "data block longer than a pool block";
    case RECORD_NO_MEMORY: return "memory exhausted";
    case RECORD_TABLE_FULL: return "entry table full";
  }
  return "unknown";
}

bool Record_LoadSpan(std::span<const std::uint8_t> bytes, RecordEntryFn onEntry, void* context) {
  lastLoad = RecordLoadInfo{};
  std::size_t offset = 0;
  while (offset < bytes.size()) {
    std::size_t length = 0;
    Entry* loaded = nullptr;
    const RecordStop stop = LoadRecord(bytes.data() + offset, bytes.size() - offset, length, loaded);
    if (stop != RECORD_OK) return Finish(stop, offset);
    if (loaded == nullptr) break;  // end record
    ++lastLoad.loaded;
    if (onEntry != nullptr) onEntry(*loaded, static_cast<std::uint32_t>(offset), context);
    offset += length;
  }
  return Finish(RECORD_OK, offset);
}

bool Record_Load(RecordEntryFn onEntry, void* context) {
  lastLoad = RecordLoadInfo{};
  std::FILE* f = std::fopen(recordPath, "rb");
  if (f == nullptr) return FinishUnread(errno);
  struct stat st{};
  const bool statted = fstat(fileno(f), &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    const int error = !statted ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    std::fclose(f);
    return FinishUnread(error);
  }
  std::size_t want = static_cast<std::size_t>(st.st_size);
  if (want > cap::kRecordReadMax) want = cap::kRecordReadMax;
  if (want == 0) {
    std::fclose(f);
    return Finish(RECORD_OK, 0);
  }
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[want]);
  if (!buffer) {
    std::fclose(f);
    return Finish(RECORD_NO_MEMORY, 0);
  }
  errno = 0;
  const std::size_t got = std::fread(buffer.get(), 1, want, f);
  const int error = std::ferror(f) != 0 ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(f);
  if (error != 0) return FinishUnread(error);
  const std::uint16_t first = Store_Count();
  const bool loaded = Record_LoadSpan(std::span<const std::uint8_t>(buffer.get(), got), onEntry, context);
  // The entries of a load stopped short keep their identities too.
  Identity_ReadSide(first, lastLoad.loaded);
  return loaded;
}

std::span<const std::uint8_t> Record_BuildImage() {
  std::size_t total = kEndRecordBytes;
  std::uint16_t pos = Store_First();
  while (const Entry* e = Store_Next(pos)) {
    if (!Record_Saved(*e)) continue;
    if (ENTRY_FILE_HEADER + DataLength(*e) > 0xFFFF) return {};  // size would not fit its field
    total += EncodedLength(*e);
  }
  if (total > imageCapacity) {
    // Out of memory is a failed save, not the end of the program.
    image.reset(new (std::nothrow) std::uint8_t[total]);
    imageCapacity = image ? total : 0;
    if (!image) return {};
  }
  std::uint8_t* p = image.get();
  pos = Store_First();
  while (Entry* e = Store_Next(pos)) {
    if (Record_Saved(*e)) p = PutEntry(p, *e);
  }
  p = Put16(p, kEndRecordBytes);
  Put16(p, KIND_END);
  return {image.get(), total};
}

bool Record_WriteWhole(const char* path, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return false;
  return Files_ReplaceWhole(path, recordPath, [bytes](std::FILE* f) {
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  });
}

bool Record_Save() {
  withoutSide = false;
  // The rename would replace a file the user cannot write.
  if (!Record_Writable() || !Record_WriteWhole(recordPath, Record_BuildImage())) return false;
  // The identities follow the record file: a save is whole only with both.
  withoutSide = !Identity_WriteSide();
  return !withoutSide;
}

bool Record_SavedWithoutSide() { return withoutSide; }
