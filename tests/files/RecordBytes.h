// Builds record-file bytes field by field at the offsets of the file layout,
// independently of the reader and writer under test.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace recordbytes {

struct Rec {
  std::uint16_t kind = 8;
  std::uint16_t reserved1 = 0;
  std::uint32_t reserved2 = 0;
  std::uint16_t reserved3 = 0;
  std::uint16_t label = 0;
  std::uint16_t startDay = 36525;
  std::uint16_t endDay = 65535;
  std::uint16_t stampSeq = 0;
  std::uint16_t stampDay = 0;
  std::uint8_t stampHour = 0, stampMinute = 0;
  std::uint8_t repeat = 0, interval = 0, weekMask = 0, weekdayMask = 0;
  std::uint8_t part[4] = {0, 0, 0, 0};
  std::string extra, done, text, link;  // raw bytes
  int sizeOverride = -1;                // write this size instead of the right one
};

inline void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline std::uint16_t Size(const Rec& r) {
  return static_cast<std::uint16_t>(40 + r.extra.size() + r.done.size() + r.text.size() +
                                    r.link.size());
}

inline void Append(std::vector<std::uint8_t>& out, const Rec& r) {
  const std::size_t at = out.size();
  Put16(out, r.sizeOverride >= 0 ? static_cast<std::uint16_t>(r.sizeOverride) : Size(r));  // 0
  Put16(out, r.kind);                                   // 2
  Put16(out, r.reserved1);                              // 4
  Put16(out, static_cast<std::uint16_t>(r.reserved2));  // 6
  Put16(out, static_cast<std::uint16_t>(r.reserved2 >> 16));
  Put16(out, r.reserved3);                              // 10
  Put16(out, r.label);                                  // 12
  Put16(out, r.startDay);                               // 14
  Put16(out, r.endDay);                                 // 16
  Put16(out, r.stampSeq);                               // 18
  Put16(out, r.stampDay);                               // 20
  for (std::uint8_t b : {r.stampHour, r.stampMinute, r.repeat, r.interval, r.weekMask,
                         r.weekdayMask})
    out.push_back(b);                                   // 22..27
  Put16(out, static_cast<std::uint16_t>(r.extra.size()));  // 28
  Put16(out, static_cast<std::uint16_t>(r.done.size()));   // 30
  Put16(out, static_cast<std::uint16_t>(r.text.size()));   // 32
  Put16(out, static_cast<std::uint16_t>(r.link.size()));   // 34
  if (out.size() - at != 36) std::abort();
  if (r.kind >= 4 && r.kind <= 8) out.insert(out.end(), r.part, r.part + 4);  // 36..39
  for (const std::string* block : {&r.extra, &r.done, &r.text, &r.link})
    out.insert(out.end(), block->begin(), block->end());
}

inline void End(std::vector<std::uint8_t>& out) {
  Put16(out, 4);
  Put16(out, 2);
}

inline std::vector<std::uint8_t> File(const std::vector<Rec>& recs, bool end = true) {
  std::vector<std::uint8_t> out;
  for (const Rec& r : recs) Append(out, r);
  if (end) End(out);
  return out;
}

inline std::string Word(std::uint16_t v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

}  // namespace recordbytes
