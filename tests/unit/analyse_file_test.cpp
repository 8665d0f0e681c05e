#include "analyse_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "expect_counts.h"
#include "signatures.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Statistics expected from scanning exactly these bytes in one pass; the
// scanner itself is checked against the rules in text_stats_test.cpp.
TextCounts OnePass(const std::string& bytes) {
  TextCounts counts;
  CharClass charClass = CharClass::None;
  CountText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), counts, charClass);
  return counts;
}

void ExpectSameResult(const AnalysisResult& expected, const AnalysisResult& actual) {
  EXPECT_STREQ(expected.path.data(), actual.path.data());
  EXPECT_EQ(expected.size, actual.size);
  EXPECT_EQ(expected.contentRead, actual.contentRead);
  EXPECT_EQ(expected.previewLength, actual.previewLength);
  EXPECT_EQ(0, memcmp(expected.preview.data(), actual.preview.data(), expected.preview.size()));
  EXPECT_EQ(expected.typeDescription, actual.typeDescription);
  ExpectCounts(expected.counts, actual.counts);
  EXPECT_EQ(expected.derived.characters, actual.derived.characters);
  EXPECT_EQ(expected.derived.averageWord, actual.derived.averageWord);
  EXPECT_EQ(expected.derived.averageSentence, actual.derived.averageSentence);
}

std::string Preview(const AnalysisResult& result) { return {result.preview.data(), result.previewLength}; }

// Printable text with words, sentences and lines, and no zero byte.
std::string RandomText(std::mt19937& rng, size_t length) {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCXYZ    ..\n\r\t0123456789(),!?\xE9\x80";
  std::string text(length, ' ');
  for (char& c : text) c = kAlphabet[rng() % (sizeof kAlphabet - 1)];
  return text;
}

class AnalyseFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ =
        fs::temp_directory_path() / ("quorvane_unit_"s + info->name() + "_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    // Stale letters everywhere: any that reached a result would show in it.
    workBuffer_.assign(kWorkBufferSize, 'x');
    result_ = std::make_unique<AnalysisResult>();
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    EXPECT_TRUE(out) << path;
    return path.string();
  }

  bool Analyse(const std::string& path, FileError* error = nullptr) {
    return AnalyseFile(path.c_str(), workBuffer_.data(), *result_, error);
  }

  fs::path dir_;
  std::vector<uint8_t> workBuffer_;
  std::unique_ptr<AnalysisResult> result_;
};

TEST_F(AnalyseFileTest, EmptyFileIsMeasuredButNotRead) {
  // A previous file leaves its preview in the result; nothing of it may stay.
  ASSERT_TRUE(Analyse(Write("before.txt", "Earlier text.")));
  const std::vector<uint8_t> bufferBefore = workBuffer_;

  const std::string path = Write("empty.txt", "");
  ASSERT_TRUE(Analyse(path));
  const AnalysisResult& r = *result_;
  EXPECT_EQ(path, r.path.data());
  EXPECT_EQ(0u, r.size);
  EXPECT_FALSE(r.contentRead);
  EXPECT_EQ(0u, r.previewLength);
  EXPECT_STREQ("", r.preview.data());
  EXPECT_STREQ("Unknown", r.typeDescription);
  ExpectCounts(TextCounts{}, r.counts);
  EXPECT_EQ(1u, r.counts.words);
  EXPECT_EQ(1u, r.counts.lines);
  EXPECT_EQ(0u, r.derived.characters);
  EXPECT_EQ(0u, r.derived.averageWord);
  EXPECT_EQ(0u, r.derived.averageSentence);
  EXPECT_EQ(bufferBefore, workBuffer_);
}

TEST_F(AnalyseFileTest, HeadIsCappedButStatisticsCoverEveryByte) {
  std::mt19937 rng(11);
  // The last head byte a space, then byte 50,000: a word only when the scan
  // reaches it.
  std::string text = "<html>" + RandomText(rng, kHeadLimit - 7) + " w";
  ASSERT_EQ(kHeadLimit + 1, text.size());

  ASSERT_TRUE(Analyse(Write("long.html", text)));
  const AnalysisResult& r = *result_;
  EXPECT_EQ(text.size(), r.size);
  EXPECT_TRUE(r.contentRead);
  EXPECT_EQ(text.substr(0, kHeadLimit), Preview(r));
  EXPECT_EQ('\0', r.preview[kHeadLimit]);
  EXPECT_STREQ("HTML Web Page", r.typeDescription);
  const TextCounts expected = OnePass(text);
  ExpectCounts(expected, r.counts);
  EXPECT_EQ(OnePass(text.substr(0, kHeadLimit)).words + 1, r.counts.words);
  const DerivedFigures derived = DeriveFigures(expected);
  EXPECT_EQ(derived.characters, r.derived.characters);
  EXPECT_EQ(derived.averageWord, r.derived.averageWord);
  EXPECT_EQ(derived.averageSentence, r.derived.averageSentence);
}

TEST_F(AnalyseFileTest, ZeroByteEndsThePreviewButNotTheStatistics) {
  const std::string text = "0123456789\0 more words. And more.\n"s;
  ASSERT_TRUE(Analyse(Write("zero.txt", text)));
  EXPECT_EQ("0123456789", Preview(*result_));
  EXPECT_STREQ("0123456789", result_->preview.data());
  EXPECT_STREQ("Unknown", result_->typeDescription);
  ExpectCounts(OnePass("0123456789 more words. And more.\n"), result_->counts);
}

TEST_F(AnalyseFileTest, ChunkBoundariesCarryTheClass) {
  std::mt19937 rng(5);
  std::string text = RandomText(rng, 2 * kChunkSize + 10);
  text[kChunkSize - 1] = 'z';  // a sentence ends across the first boundary
  text[kChunkSize] = '.';
  text[2 * kChunkSize - 1] = ' ';  // a word starts across the second
  text[2 * kChunkSize] = 'q';
  ASSERT_TRUE(Analyse(Write("chunks.txt", text)));
  ExpectCounts(OnePass(text), result_->counts);
}

TEST_F(AnalyseFileTest, OneByteFileAfterAWavFileSeesNothingOfIt) {
  const std::string wav = "RIFF\x2C\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00"s + std::string(40, 'x');
  ASSERT_TRUE(Analyse(Write("sound.wav", wav)));
  EXPECT_STREQ("Windows PCM Audio", result_->typeDescription);

  ASSERT_TRUE(Analyse(Write("a.txt", "a")));
  const AnalysisResult& r = *result_;
  EXPECT_EQ(1u, r.size);
  EXPECT_STREQ("Unknown", r.typeDescription);
  EXPECT_EQ("a", Preview(r));
  EXPECT_STREQ("a", r.preview.data());
  ExpectCounts(OnePass("a"), r.counts);
  EXPECT_EQ(1u, r.derived.characters);
}

TEST_F(AnalyseFileTest, FailuresLeaveTheResultUntouched) {
  ASSERT_TRUE(Analyse(Write("good.txt", "Good text.")));
  const auto before = std::make_unique<AnalysisResult>(*result_);

  FileError error = FileError::None;
  EXPECT_FALSE(Analyse((dir_ / "missing.txt").string(), &error));
  EXPECT_EQ(FileError::NotFound, error);
  ExpectSameResult(*before, *result_);

  fs::create_directory(dir_ / "folder");
  EXPECT_FALSE(Analyse((dir_ / "folder").string(), &error));
  EXPECT_EQ(FileError::NotAFile, error);
  ExpectSameResult(*before, *result_);

  EXPECT_FALSE(Analyse(std::string(kTextCapacity, 'p'), &error));
  EXPECT_EQ(FileError::PathTooLong, error);
  ExpectSameResult(*before, *result_);

  EXPECT_FALSE(Analyse((dir_ / "missing.txt").string()));  // no error wanted
  ExpectSameResult(*before, *result_);
}

#ifndef _WIN32
// Paths past MAX_PATH cannot be made by a test on Windows.
TEST_F(AnalyseFileTest, LongestPathIsUsedWholeAndOneMoreIsRefusedNotCut) {
  fs::path folder = dir_;
  while (folder.string().size() + 1 + 150 < kTextCapacity - 1) folder /= std::string(100, 'd');
  fs::create_directories(folder);
  const size_t nameLength = kTextCapacity - 1 - folder.string().size() - 1;
  const std::string longest = (folder / std::string(nameLength, 'f')).string();
  ASSERT_EQ(kTextCapacity - 1, longest.size());
  { std::ofstream(longest) << "Long path."; }

  ASSERT_TRUE(Analyse(longest));
  EXPECT_EQ(longest, result_->path.data());
  EXPECT_EQ("Long path.", Preview(*result_));

  // Its first 599 characters name the file above: cutting would find it.
  FileError error = FileError::None;
  EXPECT_FALSE(Analyse(longest + "g", &error));
  EXPECT_EQ(FileError::PathTooLong, error);
  EXPECT_EQ(longest, result_->path.data());
}
#endif

#ifdef __linux__
// Kernel attribute files claim a size of a page but deliver a few bytes: the
// only short read a test can cause without a fault-injecting file system.
TEST_F(AnalyseFileTest, ShortReadUsesOnlyTheBytesDelivered) {
  const std::string path = "/sys/devices/system/cpu/online";
  std::error_code ec;
  const auto claimed = fs::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  const std::string delivered((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (ec || delivered.empty() || delivered.size() >= claimed) GTEST_SKIP() << "no short-reading file here";

  // A WAV head left by an earlier file: with a delivery of four bytes or
  // fewer its form type survives past the head's terminating zeros.
  const std::string wav = "RIFF\x2C\x00\x00\x00WAVEfmt "s;
  memcpy(workBuffer_.data(), wav.data(), wav.size());

  ASSERT_TRUE(Analyse(path));
  const AnalysisResult& r = *result_;
  EXPECT_EQ(claimed, r.size);
  EXPECT_TRUE(r.contentRead);
  EXPECT_EQ(delivered, Preview(r));
  EXPECT_STREQ(IdentifyType(reinterpret_cast<const uint8_t*>(delivered.data()), delivered.size()), r.typeDescription);
  ExpectCounts(OnePass(delivered), r.counts);
}
#endif

}  // namespace
