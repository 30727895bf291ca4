#include "IcsText.h"

#include "Sjis.h"

namespace {

// A character and the one whose Shift-JIS code it shares (as UTF-8).
constexpr struct {
  std::string_view from, to;
} kSameCode[] = {
    {"\xe3\x80\x9c", "\xef\xbd\x9e"},  // WAVE DASH -> FULLWIDTH TILDE (8160)
    {"\xe2\x80\x94", "\xe2\x80\x95"},  // EM DASH -> HORIZONTAL BAR (815C)
    {"\xe2\x88\x92", "\xef\xbc\x8d"},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS (817C)
    {"\xe2\x80\x96", "\xe2\x88\xa5"},  // DOUBLE VERTICAL LINE -> PARALLEL TO (8161)
    {"\xc2\xa2", "\xef\xbf\xa0"},      // CENT SIGN -> FULLWIDTH CENT SIGN (8191)
    {"\xc2\xa3", "\xef\xbf\xa1"},      // POUND SIGN -> FULLWIDTH POUND SIGN (8192)
    {"\xc2\xac", "\xef\xbf\xa2"},      // NOT SIGN -> FULLWIDTH NOT SIGN (81CA)
    {"\xc2\xa5", "\\"},                // YEN SIGN -> 5C, the yen of JIS X 0201
    {"\xe2\x80\xbe", "~"},             // OVERLINE -> 7E
};

}  // namespace

std::string IcsText_ToSjis(std::string_view utf8, unsigned& missing) {
  std::string same;
  for (std::size_t i = 0; i < utf8.size();) {
    bool mapped = false;
    for (const auto& m : kSameCode) {
      if (utf8.substr(i, m.from.size()) == m.from) {
        same += m.to;
        i += m.from.size();
        mapped = true;
        break;
      }
    }
    if (!mapped) same += utf8[i++];
  }
  return Sjis_FromUtf8(same, missing);
}
