// PNG writer of 2-bit images through libpng.
#include "host/common/ZebPng.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// libpng reports errors by longjmp; its jump target is set here, in the one
// function that holds libpng state, so a failed write (full disk) ends with
// false and nothing leaks.
bool WriteRows(std::FILE* file, const ZebBitmap& image) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_byte> row(static_cast<std::size_t>(image.width));
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* source = image.pixels + static_cast<std::ptrdiff_t>(y) * image.bytesPerRow;
    for (int x = 0; x < image.width; ++x) {
      row[static_cast<std::size_t>(x)] =
          static_cast<png_byte>(Zeb_HostGrey((source[x >> 2] >> ((x & 3) * 2)) & 3));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool ZebPng_WriteBitmap(const char* path, const ZebBitmap& image) {
  if (path == nullptr || image.pixels == nullptr || image.width <= 0 || image.height <= 0) return false;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "wb"));
  if (!file) return false;
  if (!WriteRows(file.get(), image)) return false;
  return std::fflush(file.get()) == 0 && !std::ferror(file.get());
}

bool ZebPng_Write(const char* path) { return ZebPng_WriteBitmap(path, Zeb_Screen()); }
