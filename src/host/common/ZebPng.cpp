// PNG writer of 2-bit images through libpng.
#include "host/common/ZebPng.h"

#include <png.h>

#include <algorithm>
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
int Level(const ZebBitmap& image, int x, int y) {
  return (image.pixels[static_cast<std::ptrdiff_t>(y) * image.bytesPerRow + (x >> 2)] >> ((x & 3) * 2)) & 3;
}

// outside: null for an opaque grey picture, else transparent where set.
bool WriteRows(std::FILE* file, const ZebBitmap& image, const std::uint8_t* outside) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  const int channels = outside != nullptr ? 2 : 1;
  std::vector<png_byte> row(static_cast<std::size_t>(image.width) * channels);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               outside != nullptr ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::size_t at = static_cast<std::size_t>(x) * channels;
      row[at] = static_cast<png_byte>(Zeb_HostGrey(Level(image, x, y)));
      if (outside != nullptr) row[at + 1] = outside[static_cast<std::size_t>(y) * image.width + x] ? 0 : 0xFF;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WriteFile(const char* path, const ZebBitmap& image, const std::uint8_t* outside) {
  if (path == nullptr || image.pixels == nullptr || image.width <= 0 || image.height <= 0) return false;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "wb"));
  if (!file) return false;
  if (!WriteRows(file.get(), image, outside)) return false;
  return std::fflush(file.get()) == 0 && !std::ferror(file.get());
}

}  // namespace

bool ZebPng_WriteBitmap(const char* path, const ZebBitmap& image) { return WriteFile(path, image, nullptr); }

// A fill from every edge pixel of the level, through its four neighbours.
bool ZebPng_Outside(const ZebBitmap& image, int level, std::uint8_t* outside, std::size_t size) {
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 ||
      size < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
    return false;
  }
  const int w = image.width, h = image.height;
  std::fill(outside, outside + static_cast<std::size_t>(w) * h, 0);
  std::vector<int> todo;
  const auto visit = [&](int x, int y) {
    const std::size_t at = static_cast<std::size_t>(y) * w + x;
    if (x < 0 || y < 0 || x >= w || y >= h || outside[at] || Level(image, x, y) != level) return;
    outside[at] = 1;
    todo.push_back(static_cast<int>(at));
  };
  for (int x = 0; x < w; ++x) {
    visit(x, 0);
    visit(x, h - 1);
  }
  for (int y = 0; y < h; ++y) {
    visit(0, y);
    visit(w - 1, y);
  }
  while (!todo.empty()) {
    const int at = todo.back();
    todo.pop_back();
    const int x = at % w, y = at / w;
    visit(x - 1, y);
    visit(x + 1, y);
    visit(x, y - 1);
    visit(x, y + 1);
  }
  return true;
}

bool ZebPng_WriteIcon(const char* path, const ZebBitmap& image, int level) {
  if (image.width <= 0 || image.height <= 0) return false;
  std::vector<std::uint8_t> outside(static_cast<std::size_t>(image.width) * image.height);
  return ZebPng_Outside(image, level, outside.data(), outside.size()) && WriteFile(path, image, outside.data());
}

bool ZebPng_Write(const char* path) { return ZebPng_WriteBitmap(path, Zeb_Screen()); }
