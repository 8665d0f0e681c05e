// The analysis and the text writers against hand-worked examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "analyse_file.h"
#include "result_fields.h"
#include "signatures.h"
#include "text_encoding.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Pieces = std::vector<std::pair<uint64_t, std::string>>;

const uint8_t* Bytes(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

// The seven counts and the three derived figures.
std::string Figures(const TextCounts& c, const DerivedFigures& d) {
  std::string text;
  for (uint32_t n : {c.letters, c.words, c.lines, c.sentences, c.digits, c.spaces, c.symbols, d.characters,
                     d.averageWord, d.averageSentence})
    (text += ' ') += std::to_string(n);
  return text;
}

// Those and the end class of text fed in chunks of step bytes: the chunks
// must make no difference.
std::string Count(const std::string& text, size_t step) {
  TextCounts c;
  CharClass end = CharClass::None;
  for (size_t at = 0; at < text.size(); at += step)
    CountText(Bytes(text) + at, std::min(step, text.size() - at), c, end);
  return Figures(c, DeriveFigures(c)) + " " + std::to_string(static_cast<int>(end));
}

// Together the rows take every byte range at its edges and every class into
// and out of each rule: only a space before a letter starts a word, only a
// letter before a full stop ends a sentence, symbols and other bytes keep the
// class. Each row: letters, words, lines, sentences, digits, spaces, symbols,
// characters, average word, average sentence, then the end class (0 none,
// 1 line feed, 2 space, 3 full stop, 4 digit, 5 letter).
TEST(CountText, HandWorkedTexts) {
  const std::pair<std::string, const char*> rows[] = {
      // clang-format off
      {"",               " 0 1 1 0 0 0 0 0 0 0 0"},   {"Hello world.",     " 10 2 1 1 0 1 1 12 5 2 3"},
      {"@AZ[`az{",       " 4 1 1 0 0 0 4 8 4 0 5"},   {"/09:",             " 0 1 1 0 2 0 2 4 0 0 4"},
      {"!~\x7F\x80\xFF\t\r\x1F\0"s, " 0 1 1 0 0 0 2 2 0 0 0"}, {"a (\t\x80" "b", " 2 2 1 0 0 1 1 4 1 0 5"},
      {"a\nb 1c .d",     " 4 1 2 0 1 2 1 8 4 0 5"},   {"end!. x..\n. 3.1", " 4 2 2 2 2 2 6 14 2 1 4"},
      {" a",             " 1 2 1 0 0 1 0 2 0 0 5"},   {".a\r\n",           " 1 1 2 0 0 0 1 2 1 0 1"},
      {"a \x01",         " 1 1 1 0 0 1 0 2 1 0 2"},
      // clang-format on
  };
  for (const auto& [text, expected] : rows) {
    EXPECT_EQ(Count(text, text.size()), expected) << text;
    EXPECT_EQ(Count(text, 1), expected) << text;
  }
  EXPECT_EQ(DeriveFigures(TextCounts{7, 0, 1, 0, 0, 0, 0}).averageWord, 0u);  // no division by zero words
}

// Long runs of one byte take each counter of every scanner past the limits
// of its parts. (Random texts in random chunks on every scanner against the
// portable one are the fuzz target's business.)
TEST(CountText, EveryScannerPastItsCounterLimits) {
  const Scanner initial = ActiveScanner();
  std::string runs;
  for (char c : {'5', '\n', '!', ' ', 'a'}) runs += std::string(70'000, c);
  for (int s = 0; s < kScannerCount; ++s) {
    const auto scanner = static_cast<Scanner>(s);
    if (!SelectScanner(scanner)) {
      std::printf("%s scanner not run: this processor or system lacks it\n", ScannerName(scanner));
      continue;
    }
    EXPECT_EQ(Count(runs, runs.size()), " 70000 2 70001 0 70000 70000 70000 280000 35000 0 5") << ScannerName(scanner);
    for (const char* ending : {"\n1", " 2", ".3", "54", "a5"})  // a byte, then blocks of others: the class it sets
      EXPECT_EQ(Count(ending[0] + std::string(200, '!'), 201).back(), ending[1]) << ScannerName(scanner);
  }
  for (int faster = static_cast<int>(initial) + 1; faster <= kScannerCount; ++faster)  // the fastest is the default
    EXPECT_FALSE(SelectScanner(static_cast<Scanner>(faster)));
  EXPECT_TRUE(SelectScanner(initial) && ActiveScanner() == initial);
  // The scanners found are those the compiler's own check finds, which also
  // asks whether the system saves their registers.
#define HAS(feature) (__builtin_cpu_supports(feature) != 0)
  const bool avx2 = HAS("avx2") && HAS("bmi") && HAS("popcnt");
  EXPECT_EQ(ScannerAvailable(Scanner::Sse2), HAS("sse2"));
  EXPECT_EQ(ScannerAvailable(Scanner::Avx2), avx2);
  EXPECT_EQ(ScannerAvailable(Scanner::Avx512), avx2 && HAS("avx512f") && HAS("avx512bw") && HAS("avx512vbmi") &&
                                                   HAS("avx512vbmi2") && HAS("avx512vpopcntdq") && HAS("gfni"));
#undef HAS
  // The names the environment may force a scanner by; others leave the scanner as it was.
  const std::pair<const char*, int> names[] = {{"portable", 0}, {"sse2", 1}, {"avx2", 2},
                                               {"avx512", 3},   {"AVX2", 9}, {"", 9}};
  for (const auto& [name, number] : names) {
    auto scanner = static_cast<Scanner>(9);
    EXPECT_TRUE(ParseScanner(name, scanner) == (number != 9) && static_cast<int>(scanner) == number) << name;
  }
}

// The table's rows, each from a head of its own (by type) that ends where the
// row's range ends, several in lower case; no shorter head reaches the row,
// whatever follows it, nor does a zero byte. A row without a head fails.
TEST(IdentifyType, EachRowFromItsOwnHead) {
  std::map<std::string, std::string> heads = {
      // clang-format off
      {"Windows PCM Audio", "RIFF\x24\x08\0\0wave"s}, {"Portable Executable (Exe)", "mz"}, {"Zip File", "PK"},
      {"Windows Bitmap Image", "BM"}, {"Graphic Interchange Format", "GIF"}, {"HTML Web Page", "<html"},
      {"Audio / Video Interleave", "RIFF\x24\x08\0\0AVI"s}, {"JPEG Image", "\xFF\xD8\xFF\xE0\0\x10JFIF"s},
      {"eXtendible Markup Language", "<?xml"}, {"Internet Shortcut", "[InternetShortcut"}, {"Vren File", "Vren"},
      {"Portable Document Format", "%pdf-"}, {"Rich Text File", "{\\rtf"}, {"Animated Icon", "RIFF\x24\x08\0\0ACON"s},
      {"QuickTime Movie", "\0\0\0\x20moov"s}, {"Brumvex Settings", "BRUM"}, {"INItialisation File", "["},
      {"Win Help", "?"},
      // clang-format on
  };
  for (const SignatureRow* row = kSignatureTable; row->length != 0; ++row) {
    const std::string& head = heads[row->description];
    EXPECT_STREQ(IdentifyType(Bytes(head), head.size()), row->description);
    for (size_t n = 0; n < head.size(); ++n) EXPECT_STRNE(IdentifyType(Bytes(head), n), row->description) << n;
    EXPECT_STRNE(IdentifyType(Bytes(head.substr(0, head.size() - 1) + '\0'), head.size()), row->description);
  }
}

using Writer = void (*)(FILE*, const char*, size_t);

// Everything write puts into a file, as bytes.
template <typename Write>
std::string Written(Write write) {
  FILE* out = tmpfile();
  write(out);
  std::string bytes(static_cast<size_t>(ftell(out)), '\0');
  rewind(out);
  EXPECT_EQ(fread(bytes.data(), 1, bytes.size(), out), bytes.size());
  fclose(out);
  return bytes;
}

TEST(TextEncoding, WritersAndUtf8) {
  const std::tuple<Writer, std::string, std::string> rows[] = {
      {WriteJsonWindows1252, "\"\\\n\r\t\b\f/", R"(\"\\\n\r\t\b\f/)"},
      {WriteJsonWindows1252, "\x01\x1F \x7F"s, "\\u0001\\u001f \x7F"},
      {WriteJsonWindows1252, "\x80\x81\x9F\xA0\xE9", "\xE2\x82\xAC\xC2\x81\xC5\xB8\xC2\xA0\xC3\xA9"},
      {WriteJsonUtf8, "a\"\xC2\x80\xF4\x8F\xBF\xBF\xE9\x01z", "a\\\"\xC2\x80\xF4\x8F\xBF\xBF\\udce9\\u0001z"},
      {WriteJsonUtf8, "\xED\xA0\x80\n", "\\udced\\udca0\\udc80\\n"},  // a surrogate, byte by byte
      // Paths for a terminal: controls and stray bytes shown, UTF-8 and backslashes kept.
      {WriteConsoleUtf8, "C:\\a\x1B]0;t\x07\nFile\x7F\xC2\x85\xC2\xA0\xE9\xF0\x9F\x98\x80\t",
       "C:\\a\\x1b]0;t\\x07\\x0aFile\\x7f\\xc2\\x85\xC2\xA0\\xe9\xF0\x9F\x98\x80\\x09"},
      {WriteConsoleWindows1252, "a\r\nb\tc \x1B\x7F\x81\x9F\xA0~",
       "a\nb\tc \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xC5\xB8\xC2\xA0~"},
      {+[](FILE* f, const char* text, size_t n) { WriteConsolePreview(f, PreviewEncoding::Utf8, text, n); },
       "a\r\nb\tc \x1B\x7F\xC2\x9F\xC2\xA0~", "a\nb\tc \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xC2\xA0~"},
  };
  // Each writer stops at its count, whatever follows.
  for (const auto& [write, in, out] : rows)
    EXPECT_EQ(Written([&w = write, i = in + "x"](FILE* f) { w(f, i.data(), i.size() - 1); }), out);
  // The count ends a sequence even when the rest of it follows in memory.
  EXPECT_EQ(Written([](FILE* f) { WriteJsonUtf8(f, "a\xE2\x82\xAC", 3); }), "a\\udce2\\udc82");
  EXPECT_EQ(Written([](FILE* f) { WriteConsoleUtf8(f, "a\xC2\xA0", 2); }), "a\\xc2");
  // Code points at the limits of each length (what is no valid UTF-8 is the
  // preview's table's business).
  // clang-format off
  const std::pair<uint32_t, std::string> valid[] = {
      {0x7F, "\x7F"}, {0x80, "\xC2\x80"}, {0x7FF, "\xDF\xBF"}, {0x800, "\xE0\xA0\x80"}, {0xD7FF, "\xED\x9F\xBF"},
      {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"}, {0x1F600, "\xF0\x9F\x98\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  // clang-format on
  for (const auto& [codePoint, bytes] : valid) {
    EXPECT_EQ(Written([c = codePoint](FILE* f) { WriteUtf8(f, c); }), bytes);
    EXPECT_EQ(Utf8SequenceLength(Bytes(bytes), bytes.size()), bytes.size());
  }
}

// A read takes what is there: past the end the rest, then nothing. A read or
// a length that fails says so at once, a read with the system's reason.
TEST(FileRead, PastTheEndAndFailing) {
  uint32_t delivered = 0, why = 0;
  const auto read = [&](FileHandle file, uint8_t* to, uint32_t count) {
    return FileRead(file, to, count, delivered, why) ? delivered : ~0u;
  };
  const fs::path path = fs::temp_directory_path() / ("quorvane_read_" + std::to_string(std::random_device{}()));
  std::ofstream{path} << "0123456789";
  FileHandle file;
  FileError error = FileError::None;
  ASSERT_TRUE(FileOpenExclusive(path.c_str(), file, error));
  std::array<uint8_t, 100> buffer{};
  EXPECT_EQ(read(file, buffer.data(), 100), 10u);
  EXPECT_EQ(read(file, buffer.data(), 100), 0u);
  EXPECT_TRUE(FileRewind(file) && read(file, buffer.data() + 10, 4) == 4);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 15), "01234567890123"s + '\0');
  FileClose(file);
  fs::remove(path);
  FileStamp stamp{7, 8, 9};
  EXPECT_TRUE(read(FileHandle{}, buffer.data(), 100) == ~0u && why != 0 && !ReadFileStamp(FileHandle{}, stamp) &&
              stamp.length == 7 && stamp.changed == 8 && stamp.changedNanoseconds == 9);
#ifndef _WIN32
  // A read that delivers less than asked is read on, into the rest of the
  // buffer and no further, however much more there is.
  int ends[2] = {};
  ASSERT_EQ(pipe(ends), 0);
  std::thread writer([&] {
    EXPECT_EQ(write(ends[1], "abc", 3), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(write(ends[1], "defghijklmn", 11), 11);
    close(ends[1]);
  });
  EXPECT_EQ(read(FileHandle{ends[0]}, buffer.data() + 20, 10), 10u);
  writer.join();
  close(ends[0]);
  EXPECT_EQ(std::string(buffer.begin() + 14, buffer.begin() + 31), std::string(6, '\0') + "abcdefghij" + '\0');
#endif
}

// File after file through one work buffer, which starts full of stale bytes:
// an empty file reads nothing; the preview and type take the first 50,000
// bytes up to a zero byte, the statistics every byte up to 50,000,000, carried
// across chunks; a file past 4 GiB keeps its whole size; a one-byte file after
// a WAV file sees nothing of it. Then failures, which say why and leave the
// result untouched.
TEST(AnalyseFile, FileAfterFile) {
  const fs::path dir = fs::temp_directory_path() / ("quorvane_unit_" + std::to_string(std::random_device{}()));
  std::vector<uint8_t> buffer(kWorkBufferSize, 'x');
  const auto result = std::make_unique<AnalysisResult>();
  // Each piece at its offset in a file of the given length; the gaps are
  // holes that read as zero bytes, which count nothing.
  const auto make = [&](const std::string& name, const Pieces& pieces, uint64_t length) {
    const fs::path path = dir / name;
    std::ofstream{path};
    fs::resize_file(path, length);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    for (const auto& piece : pieces) file.seekp(static_cast<std::streamoff>(piece.first)) << piece.second;
    return path;
  };
  const std::string longText = "<html>" + std::string(49'993, 'a') + " w";  // byte 50,000 is a word
  const uint64_t past4GiB = (uint64_t{1} << 32) + 100;
  // clang-format off
  const Pieces sparse = {{0, "%PDF-1.4 head"}, {999'999, "z."}, {1'999'999, " q"}, {49'999'990, "ab cd ef. gh ij."},
                         {past4GiB - 10, "Not read."}};
  const std::tuple<Pieces, uint64_t, std::string, std::string> rows[] = {
      {{{0, "<html> Earlier text."}}, 20, "<html> Earlier text.", "HTML Web Page 15 3 1 1 0 2 3 20 5 3"},
      {{}, 0, "", "Unknown 0 1 1 0 0 0 0 0 0 0"},
      {{{0, longText}}, 50'001, longText.substr(0, 50'000), "HTML Web Page 49998 2 1 0 0 1 2 50001 24999 0"},
      {{{0, "0123456789\0 more words. And more.\n"s}}, 35, "0123456789", "Unknown 16 5 2 2 10 4 2 32 3 2"},
      {sparse, past4GiB, "%PDF-1.4 head", "Portable Document Format 15 5 1 2 2 5 5 27 3 2"},
      {{{0, "\xC3\xA9\xE2\x82"}}, 4, "\xC3\xA9\xE2\x82", "Unknown 0 1 1 0 0 0 0 0 0 0"},  // it ends inside a character, no limit cut it
      {{{0, "RIFF\x2C\x01\0\0WAVEfmt \x10\0\0\0\0"s}}, 21, "RIFF,\x01", "Windows PCM Audio 11 1 1 0 0 1 1 13 11 0"},
      {{{0, "a"}}, 1, "a", "Unknown 1 1 1 0 0 0 0 1 1 0"},
  };
  // clang-format on
  fs::create_directories(dir);
  for (const auto& [pieces, length, preview, summary] : rows) {
    const fs::path path = make(std::to_string(length), pieces, length);
    const std::vector<uint8_t> before = buffer;
    EXPECT_TRUE(AnalyseFile(path.c_str(), buffer.data(), *result));
    EXPECT_TRUE(result->size == length && result->contentRead == (length != 0) &&
                result->previewLength == preview.size());
    EXPECT_EQ(result->preview.data(), preview);
    EXPECT_EQ(result->typeDescription + Figures(result->counts, result->derived), summary);
    EXPECT_TRUE(length != 0 || buffer == before) << "an empty file leaves the buffer as it was";
  }
  // The head is followed by four zero bytes, and nothing else is cleared.
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 6), "a\0\0\0\0\x01"s);
  const auto bytes = [&] { return std::string(reinterpret_cast<const char*>(result.get()), sizeof(AnalysisResult)); };
  const std::string before = bytes();
  fs::create_directory(dir / "folder");
  // The last longer than any name either system takes.
  const std::pair<fs::path, FileError> failures[] = {{dir / "missing", FileError::NotFound},
                                                     {dir / "folder", FileError::NotAFile},
                                                     {dir / std::string(40'000, 'p'), FileError::PathTooLong}};
  for (const auto& [path, reason] : failures) {
    FileError error = FileError::None;
    EXPECT_FALSE(AnalyseFile(path.c_str(), buffer.data(), *result, &error));
    EXPECT_EQ(error, reason);
    EXPECT_TRUE(bytes() == before) << "the result is left as it was";
  }
  fs::remove_all(dir);
}

// Another program cuts the file short while it is read: the result is the
// file as it was or as cut, or the analysis says it changed; never figures of
// a part under the whole one's size. (Under Windows the unshared open keeps
// the other program out, or is refused while that program holds the file.)
TEST(AnalyseFile, CutWhileRead) {
  const fs::path path = fs::temp_directory_path() / ("quorvane_cut_" + std::to_string(std::random_device{}()));
  std::string text;
  while (text.size() < 6'000'000) text += "Words and more words. ";
  std::vector<uint8_t> buffer(kWorkBufferSize);
  const auto result = std::make_unique<AnalysisResult>();
  const auto analyse = [&] {
    *result = AnalysisResult{};  // a failure reported as success shows as an empty result
    FileError error = FileError::None;
    const bool done = AnalyseFile(path.c_str(), buffer.data(), *result, &error);
    return done ? std::to_string(result->size) + Figures(result->counts, result->derived) : DescribeFileError(error);
  };
  const auto cut = [&] {
    std::error_code refused;  // while the analysis holds the file, where it can
    fs::resize_file(path, 1'000'500, refused);
  };
  std::set<std::string> allowed = {"changed while read", "in use by another program"};  // the latter: Windows
  std::mt19937 random(11);
  for (int round = 0; round < 32; ++round) {  // the file whole, then cut, then cut while it is read
    std::ofstream(path, std::ios::binary) << text;
    if (round == 1) cut();
    const std::chrono::microseconds delay(random() % 4000);
    std::thread other([&] {
      std::this_thread::sleep_for(delay);
      if (round > 1) cut();
    });
    const std::string seen = analyse();
    other.join();
    if (round < 2) allowed.insert(seen);
    EXPECT_EQ(allowed.count(seen), 1u) << seen;
  }
  EXPECT_EQ(allowed.size(), 4u);
  fs::remove(path);
}

// Each figure as the window and the text report show it and as JSON has it.
TEST(FigureText, ShownAndJson) {
  const std::tuple<Figure, std::string, std::string> rows[] = {
      {{0}, "0", "0"},         {{999}, "999", "999"},      {{1'000'050}, "1.000.050", "1000050"},
      {{45, 1}, "4,5", "4.5"}, {{5, 3}, "0,005", "0.005"}, {{4'294'967'295u, 2}, "42.949.672,95", "42949672.95"},
  };
  for (const auto& [figure, shown, json] : rows) {
    const FigureTexts texts = FigureText(figure);
    EXPECT_EQ(std::make_pair(std::string(texts.shown.data()), std::string(texts.json.data())),
              std::make_pair(shown, json));
  }
}

}  // namespace
