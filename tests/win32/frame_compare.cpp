// frame_compare CAPTURE.xwd X Y NOTEXT.png BLOCKS.png
// frame_compare --same CAPTURE.xwd X Y OTHER.xwd X2 Y2
//
// Checks the 640 x 240 area at (X, Y) of an X screen dump (Xvfb -fbdir)
// against two velmo-headless shots of the same screen, one drawn without
// text and one with every glyph a solid block: the area holds only the four
// greys, every pixel outside the cells text covers (where the two shots
// agree) equals the shot, and inside them the glyphs are drawn, not boxes:
// at most kMostInk of the cells' pixels are ink. With --same, the two areas
// must be equal pixel for pixel, text and all. Prints what differs; exit
// status 0 when all holds.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kW = 640;
constexpr int kH = 240;
// Glyphs ink a third of their cells or so; boxes in place of glyphs, all.
constexpr double kMostInk = 0.6;

std::uint32_t Big32(const std::vector<unsigned char>& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

struct Capture {
  std::vector<unsigned char> bytes;
  std::size_t pixels = 0;
  std::uint32_t width = 0, height = 0, bytesPerLine = 0, bitsPerPixel = 0, lsbFirst = 0;
  std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
};

bool ReadXwd(const char* path, Capture& c) {
  std::ifstream in(path, std::ios::binary);
  c.bytes.assign(std::istreambuf_iterator<char>(in), {});
  if (c.bytes.size() < 100) return false;
  const std::uint32_t headerSize = Big32(c.bytes, 0);
  c.width = Big32(c.bytes, 16);
  c.height = Big32(c.bytes, 20);
  c.lsbFirst = Big32(c.bytes, 28) == 0;
  c.bitsPerPixel = Big32(c.bytes, 44);
  c.bytesPerLine = Big32(c.bytes, 48);
  c.redMask = Big32(c.bytes, 56);
  c.greenMask = Big32(c.bytes, 60);
  c.blueMask = Big32(c.bytes, 64);
  const std::uint32_t colours = Big32(c.bytes, 76);
  c.pixels = headerSize + std::size_t(colours) * 12;
  return c.bitsPerPixel == 32 && c.pixels + std::size_t(c.bytesPerLine) * c.height <= c.bytes.size();
}

int Channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  return int((pixel & mask) >> shift);
}

// The grey at (x, y), or -1 when red, green and blue differ.
int GreyAt(const Capture& c, int x, int y) {
  const unsigned char* p = c.bytes.data() + c.pixels + std::size_t(y) * c.bytesPerLine + std::size_t(x) * 4;
  const std::uint32_t v = c.lsbFirst ? (std::uint32_t(p[0]) | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24)
                                     : (std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]);
  const int r = Channel(v, c.redMask), g = Channel(v, c.greenMask), b = Channel(v, c.blueMask);
  return r == g && g == b ? r : -1;
}

bool ReadPng(const char* path, std::vector<unsigned char>& grey) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return false;
  image.format = PNG_FORMAT_GRAY;
  if (image.width != kW || image.height != kH) {
    png_image_free(&image);
    return false;
  }
  grey.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr) != 0;
}

bool InCapture(const Capture& c, int x0, int y0) {
  if (x0 >= 0 && y0 >= 0 && x0 + kW <= int(c.width) && y0 + kH <= int(c.height)) return true;
  std::fprintf(stderr, "frame_compare: the area lies outside the screen\n");
  return false;
}

int CompareCaptures(char** argv) {
  Capture a, b;
  const int ax = std::atoi(argv[3]), ay = std::atoi(argv[4]), bx = std::atoi(argv[6]), by = std::atoi(argv[7]);
  if (!ReadXwd(argv[2], a) || !ReadXwd(argv[5], b)) {
    std::fprintf(stderr, "frame_compare: cannot read the pictures\n");
    return 2;
  }
  if (!InCapture(a, ax, ay) || !InCapture(b, bx, by)) return 1;
  long differ = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const int ga = GreyAt(a, ax + x, ay + y), gb = GreyAt(b, bx + x, by + y);
      if (ga != gb && differ++ < 5) std::fprintf(stderr, "differs at %d,%d: %d and %d\n", x, y, ga, gb);
    }
  std::printf("compared %d pixels of the two screens: %ld differ\n", kW * kH, differ);
  return differ == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 8 && std::string(argv[1]) == "--same") return CompareCaptures(argv);
  if (argc != 6) {
    std::fprintf(stderr, "usage: frame_compare CAPTURE.xwd X Y NOTEXT.png BLOCKS.png\n"
                         "       frame_compare --same CAPTURE.xwd X Y OTHER.xwd X2 Y2\n");
    return 2;
  }
  Capture capture;
  std::vector<unsigned char> plain, blocks;
  const int x0 = std::atoi(argv[2]), y0 = std::atoi(argv[3]);
  if (!ReadXwd(argv[1], capture) || !ReadPng(argv[4], plain) || !ReadPng(argv[5], blocks)) {
    std::fprintf(stderr, "frame_compare: cannot read the pictures\n");
    return 2;
  }
  if (!InCapture(capture, x0, y0)) return 1;
  long notGrey = 0, differ = 0, compared = 0, text = 0, ink = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const int g = GreyAt(capture, x0 + x, y0 + y);
      if (g != 0 && g != 85 && g != 170 && g != 255) {
        if (notGrey++ < 5) std::fprintf(stderr, "not one of the four greys at %d,%d: %d\n", x, y, g);
        continue;
      }
      const std::size_t i = std::size_t(y) * kW + std::size_t(x);
      if (plain[i] != blocks[i]) {  // a text cell
        ++text;
        if (g == blocks[i]) ++ink;
        continue;
      }
      ++compared;
      if (g != plain[i] && differ++ < 5) std::fprintf(stderr, "differs at %d,%d: %d, headless %d\n", x, y, g, plain[i]);
    }
  const double inked = text > 0 ? double(ink) / double(text) : 0;
  std::printf("compared %ld pixels outside text: %ld differ; %ld not one of the four greys; text cells %.0f%% ink\n",
              compared, differ, notGrey, inked * 100);
  if (inked > kMostInk) std::fprintf(stderr, "the text cells are filled: boxes, not glyphs\n");
  return notGrey == 0 && differ == 0 && compared > kW * kH / 2 && inked <= kMostInk ? 0 : 1;
}
