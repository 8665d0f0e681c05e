// The preview of a head, read as the text it declares or proves it is,
// worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "preview_text.h"

namespace {

using namespace std::string_literals;

// The encoding's name, the preview's characters and whether it was cut; an
// ANSI preview's bytes stand for themselves.
std::tuple<int, std::u32string, bool> Read(const std::string& head, bool headCut) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(head.data());
  const PreviewSpan span = FindPreview(bytes, static_cast<uint32_t>(head.size()), headCut);
  std::u32string text;
  for (uint32_t at = 0; at < span.length;) {
    text += span.encoding == PreviewEncoding::Ansi
                ? bytes[span.start + at++]
                : NextPreviewCharacter(span.encoding, bytes + span.start, span.length, at);
  }
  return {static_cast<int>(span.encoding), text, span.cut};
}

TEST(FindPreview, DeclaredOrProvenElseAnsi) {
  enum { kAnsi, kUtf8, kLe, kBe, kLe32, kBe32 };
  const struct {
    std::string head;
    bool headCut;
    int encoding;
    std::u32string text;
    bool cut = false;
  } rows[] = {
      {"Hello.", false, kAnsi, U"Hello."},
      {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", false, kUtf8, U"Caf\u00e9 \u20ac \U0001F600"},
      {"Caf\xE9 cr\xE8me", false, kAnsi, U"Caf\u00e9 cr\u00e8me"},                  // no UTF-8: the code page
      {"\xC0\xAF \xED\xA0\x80", false, kAnsi, U"\u00c0\u00af \u00ed\u00a0\u0080"},  // overlong, a surrogate
      {"a\xC3\xA9\xE2\x82", true, kUtf8, U"a\u00e9", true},  // a sequence the head's limit cut off
      {"\xEF\xBB\xBF"
       "a\xE2\x82",
       true, kUtf8, U"a", true},
      {"\xEF\xBB\xBF"
       "a\xC3\xA9",
       true, kUtf8, U"a\u00e9", true},  // cut where a character ends
      {"\xEF\xBB\xBF"
       "a\xE2\x82",
       false, kUtf8, U"a\ufffd"},                                         // the file ends inside it
      {"\x93\xF1\x8D", true, kAnsi, U"\u0093\u00f1\u008d", true},         // a code page's own is its reader's
      {"a\xC3\xA9\xE2\x82", false, kAnsi, U"a\u00c3\u00a9\u00e2\u0082"},  // the whole file: broken
      {"ab\0\xC3\xA9"s, false, kAnsi, U"ab"},                             // only up to the first zero byte
      {"\xC3\xA9\0\xFF"s, false, kUtf8, U"\u00e9"},
      {"\xEF\xBB\xBF"
       "a\xFF"
       "b\xE2\x82"
       "c\xF4\x90\x80\x80",
       false, kUtf8, U"a\ufffdb\ufffdc\ufffd\ufffd\ufffd\ufffd"},
      {"\xEF\xBB\xBF\0abc"s, false, kUtf8, U""},
      {"\xFF\xFE"
       "H\0i\0"s,
       false, kLe, U"Hi"},
      {"\xFE\xFF\0H\0i"s, false, kBe, U"Hi"},
      {"\xFF\xFE"
       "A\0\0\0B\0"s,
       false, kLe, U"A"},  // up to the first zero unit
      {"\xFF\xFE"
       "A\0B"s,
       true, kLe, U"A", true},  // an odd last byte
      {"\xFF\xFE"
       "A\0\x3D\xD8"s,
       true, kLe, U"A", true},  // a surrogate the limit parted from its partner
      {"\xFF\xFE"
       "A\0\x3D\xD8"s,
       false, kLe, U"A\ufffd"},
      {"\xFF\xFE\x3D\xD8"
       "A\0\x00\xDC\x3D\xD8\x00\xDE"s,
       false, kLe, U"\ufffdA\ufffd\U0001F600"},
      {"\xFE\xFF\xD8\x3D\xDE\x00\xD8\x00"s, false, kBe, U"\U0001F600\ufffd"},
      {"\xFF\xFE", false, kLe, U""},
      {"\xFE\xFF\0\0\0A"s, false, kBe, U""},
      {"\xFF\xFE\0\0"
       "A\0\0\0\0\xF6\x01\0\0\xD8\0\0\0\0\x11\0\0\0\0\0B\0\0\0"s,
       false, kLe32, U"A\U0001F600\ufffd\ufffd"},  // a surrogate and past U+10FFFF: no characters
      {"\0\0\xFE\xFF\x7F\0\0\0\0\0\0B\0\0\0"s, true, kBe32, U"\ufffdB", true},  // whole units only
      {"\xFF\xFE\0\0"s, false, kLe32, U""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Read(row.head, row.headCut), std::make_tuple(row.encoding, row.text, row.cut)) << row.head;
  }
  uint32_t at = 4;  // a unit's part, which no span ends in
  EXPECT_TRUE(NextPreviewCharacter(PreviewEncoding::Utf32Le, reinterpret_cast<const uint8_t*>("A\0\0\0B\0"), 6, at) ==
                  kReplacementCharacter &&
              at == 6);
}

}  // namespace
