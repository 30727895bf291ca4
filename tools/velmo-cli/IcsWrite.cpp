#include "IcsWrite.h"

#include <cstdio>

namespace {

constexpr std::size_t kLineOctets = 75;  // RFC 5545 3.1, without the CRLF

bool Continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Folds one content line; a continuation begins with a blank, which counts.
void PutLine(std::string& out, const std::string& line) {
  std::size_t at = 0, room = kLineOctets;
  while (line.size() - at > room) {
    std::size_t cut = at + room;
    while (cut > at && Continues(line[cut])) --cut;  // never inside a UTF-8 character
    out.append(line, at, cut - at).append("\r\n ");
    at = cut;
    room = kLineOctets - 1;
  }
  out.append(line, at, std::string::npos).append("\r\n");
}

std::string Escaped(std::string_view text, std::string_view special) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\\n";
    } else {
      if (special.find(c) != std::string_view::npos) out += '\\';
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string IcsWrite_Component(const IcsComponent& c) {
  // Values hold no line ends (TEXT escapes them), so each CRLF ends a content line.
  const std::string lines = IcsLines_Write(c);
  std::string out;
  for (std::size_t at = 0, end; at < lines.size(); at = end + 2) {
    end = lines.find("\r\n", at);
    PutLine(out, lines.substr(at, end - at));
  }
  return out;
}

std::string IcsWrite_Text(std::string_view text) { return Escaped(text, "\\,;"); }

std::string IcsWrite_List(std::string_view text) { return Escaped(text, "\\"); }

std::string IcsWrite_Date(DayNo day) {
  std::uint16_t y, m, d;
  DayNo_ToDate(day, y, m, d);
  char text[16];
  std::snprintf(text, sizeof text, "%04u%02u%02u", unsigned{y}, unsigned{m}, unsigned{d});
  return text;
}
