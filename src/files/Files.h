// Replacing a file whole: a temporary beside it is written, flushed and
// synced, then renamed into place and the folder synced, so a kill or a power
// cut leaves either the old file or the new one, never a part. Every file the
// data layer writes (record, continuation, CSV, backup, damaged and recovery
// copies) goes this way.
#pragma once

#include <cstdio>
#include <type_traits>

// Fills the temporary; false when a write failed.
using FilesWriter = bool (*)(std::FILE* f, void* context);

// Writes path anew: "<path>.tmp" is created with the permission bits of the
// file like (null or no such file: 0666 less the umask) before any byte is
// written, filled by writer, synced and renamed over path. On failure an
// older file at path is untouched, no temporary is left, errno tells why and
// false is returned.
bool Files_ReplaceWhole(const char* path, const char* like, FilesWriter writer, void* context);
// The same, but never over another file: false with errno EEXIST when path
// is taken.
bool Files_PlaceWhole(const char* path, const char* like, FilesWriter writer, void* context);

// Flushes f and waits until its bytes are on disk, so that a rename after it
// never puts an empty file in place; false on any failure.
bool Files_SyncToDisk(std::FILE* f);

// A callable writer(FILE*) -> bool, handed on as a FilesWriter and its context.
template <class W>
bool Files_Call(std::FILE* f, void* context) {
  return (*static_cast<W*>(context))(f);
}
template <class W>
void* Files_Context(W& writer) {
  return const_cast<void*>(static_cast<const void*>(&writer));
}

template <class Writer>
  requires std::is_invocable_r_v<bool, Writer&, std::FILE*>
bool Files_ReplaceWhole(const char* path, const char* like, Writer&& writer) {
  return Files_ReplaceWhole(path, like, Files_Call<std::remove_reference_t<Writer>>, Files_Context(writer));
}
template <class Writer>
  requires std::is_invocable_r_v<bool, Writer&, std::FILE*>
bool Files_PlaceWhole(const char* path, const char* like, Writer&& writer) {
  return Files_PlaceWhole(path, like, Files_Call<std::remove_reference_t<Writer>>, Files_Context(writer));
}
