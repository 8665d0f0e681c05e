#include "text_encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

namespace {

using namespace std::string_literals;

// Everything a writer puts into a FILE, as bytes.
std::string Capture(const std::function<void(FILE*)>& write) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("quorvane_encoding_" + std::to_string(std::random_device{}()));
  FILE* file = fopen(path.string().c_str(), "w+b");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot create " << path;
    return {};
  }
  write(file);
  fflush(file);
  rewind(file);
  std::string bytes;
  for (int c = fgetc(file); c != EOF; c = fgetc(file)) bytes += static_cast<char>(c);
  fclose(file);
  std::filesystem::remove(path);
  return bytes;
}

std::string Json1252(const std::string& bytes) {
  return Capture([&](FILE* out) { WriteJsonWindows1252(out, bytes.data(), bytes.size()); });
}
std::string JsonUtf8(const std::string& bytes) {
  return Capture([&](FILE* out) { WriteJsonUtf8OrWindows1252(out, bytes.data(), bytes.size()); });
}
std::string Console1252(const std::string& bytes) {
  return Capture([&](FILE* out) { WriteConsoleWindows1252(out, bytes.data(), bytes.size()); });
}

TEST(DecodeWindows1252, DefinedAndUndefinedBytes) {
  EXPECT_EQ(0x41u, DecodeWindows1252('A'));
  EXPECT_EQ(0x7Fu, DecodeWindows1252(0x7F));
  EXPECT_EQ(0x20ACu, DecodeWindows1252(0x80));  // euro sign
  EXPECT_EQ(0x201Au, DecodeWindows1252(0x82));
  EXPECT_EQ(0x0160u, DecodeWindows1252(0x8A));
  EXPECT_EQ(0x2019u, DecodeWindows1252(0x92));
  EXPECT_EQ(0x2122u, DecodeWindows1252(0x99));
  EXPECT_EQ(0x0178u, DecodeWindows1252(0x9F));
  EXPECT_EQ(0x00A0u, DecodeWindows1252(0xA0));
  EXPECT_EQ(0x00E9u, DecodeWindows1252(0xE9));
  EXPECT_EQ(0x00FFu, DecodeWindows1252(0xFF));
  for (uint8_t undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(undefined, DecodeWindows1252(undefined));
}

TEST(WriteUtf8, EncodesEachLengthAtItsLimits) {
  const struct {
    uint32_t codePoint;
    std::string bytes;
  } cases[] = {
      {0x00, "\x00"s},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0x20AC, "\xE2\x82\xAC"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.bytes, Capture([&](FILE* out) { WriteUtf8(out, c.codePoint); })) << c.codePoint;
  }
}

TEST(WriteJsonWindows1252, EscapesAndDecodes) {
  EXPECT_EQ("plain / text", Json1252("plain / text"));
  EXPECT_EQ(R"(say \"hi\" \\ there)", Json1252(R"(say "hi" \ there)"));
  EXPECT_EQ(R"(\n\r\t\b\f)", Json1252("\n\r\t\b\f"));
  EXPECT_EQ(R"(\u0000\u0001\u001b\u001f)", Json1252("\x00\x01\x1B\x1F"s));
  EXPECT_EQ("\x7F", Json1252("\x7F"));  // DEL needs no escape
  EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D", Json1252("caf\xE9 \x80 \x93q\x94"));
  // The undefined bytes become the C1 controls of the same value.
  EXPECT_EQ("\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", Json1252("\x81\x8D\x8F\x90\x9D"));
}

TEST(WriteJsonUtf8OrWindows1252, KeepsValidUtf8AndFallsBackByteByByte) {
  EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", JsonUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_EQ(R"(a\"b\\c\n)", JsonUtf8("a\"b\\c\n"));
  EXPECT_EQ("caf\xC3\xA9", JsonUtf8("caf\xE9"));                                        // a lone Latin-1 byte
  EXPECT_EQ("\xC3\xA2\xE2\x80\x9A", JsonUtf8("\xE2\x82"));                              // sequence cut short
  EXPECT_EQ("\xC3\x80\xC2\xAF", JsonUtf8("\xC0\xAF"));                                  // overlong slash
  EXPECT_EQ("\xC3\xAD\xC2\xA0\xE2\x82\xAC", JsonUtf8("\xED\xA0\x80"));                  // surrogate
  EXPECT_EQ("\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC", JsonUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_EQ(
      "\xE2\x82\xAC"
      "a",
      JsonUtf8("\x80"
               "a"));  // stray continuation byte
}

TEST(Utf8SequenceLength, AcceptsOnlyCompleteShortestForms) {
  const struct {
    std::string bytes;
    size_t length;
  } cases[] = {
      {"A", 1},
      {"\xC3\xA9", 2},
      {"\xE2\x82\xAC", 3},
      {"\xF0\x9F\x98\x80", 4},
      {"\xF4\x8F\xBF\xBF", 4},
      {"\x80", 0},
      {"\xC3", 0},
      {"\xC3"
       "A",
       0},
      {"\xC0\x80", 0},
      {"\xE0\x80\xAF", 0},
      {"\xED\xA0\x80", 0},
      {"\xF4\x90\x80\x80", 0},
      {"\xF8\x88\x80\x80\x80", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.length, Utf8SequenceLength(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()))
        << testing::PrintToString(c.bytes);
  }
  // The count bounds the sequence even when the rest lies in memory.
  const std::string euro = "\xE2\x82\xAC";
  EXPECT_EQ(0u, Utf8SequenceLength(reinterpret_cast<const uint8_t*>(euro.data()), 2));
}

TEST(WriteConsoleWindows1252, KeepsLayoutAndDefusesControls) {
  EXPECT_EQ("a\nb\tc", Console1252("a\r\nb\tc"));
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(replacement + "[2J" + replacement + replacement + replacement, Console1252("\x1B[2J\x07\x7F\x81"));
  EXPECT_EQ("\xE2\x82\xAC \xE2\x80\xBA \xC3\xA9", Console1252("\x80 \x9B \xE9"));  // 0x9B is a quote mark here
}

}  // namespace
