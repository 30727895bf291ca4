// Arbitrary bytes through the record reader. Whatever loads must save to an
// image that loads again and saves to the same image.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "files/Record.h"
#include "store/Store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Store_Init();
  Store_SetDropDeleted((size & 1) != 0);
  Record_LoadSpan(std::span<const std::uint8_t>(data, size));
  const auto first = Record_BuildImage();
  const std::vector<std::uint8_t> image(first.begin(), first.end());
  if (image.size() < 4) std::abort();
  Store_Init();
  if (!Record_LoadSpan(image)) std::abort();
  const auto second = Record_BuildImage();
  if (second.size() != image.size() || std::memcmp(second.data(), image.data(), image.size()) != 0)
    std::abort();
  Store_Shutdown();
  return 0;
}
