#include "analyse_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The engine's own scanner over exactly these bytes, in one pass.
std::vector<uint32_t> OnePass(const std::string& bytes) {
  TextCounts c;
  CharClass end = CharClass::None;
  CountText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), c, end);
  return {c.letters, c.words, c.lines, c.sentences, c.digits, c.spaces, c.symbols};
}

std::vector<uint32_t> Counts(const AnalysisResult& r) {
  const TextCounts& c = r.counts;
  return {c.letters, c.words, c.lines, c.sentences, c.digits, c.spaces, c.symbols};
}

class AnalyseFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quorvane_unit_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    buffer_.assign(kWorkBufferSize, 'x');  // stale bytes: any that reached a result would show
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  bool Analyse(const std::string& path, FileError* error = nullptr) {
    return AnalyseFile(path.c_str(), buffer_.data(), *result_, error);
  }
  std::string Preview() const { return {result_->preview.data(), result_->previewLength}; }

  fs::path dir_;
  std::vector<uint8_t> buffer_;
  std::unique_ptr<AnalysisResult> result_ = std::make_unique<AnalysisResult>();
};

TEST_F(AnalyseFileTest, EmptyFileIsMeasuredButNotRead) {
  ASSERT_TRUE(Analyse(Write("before.txt", "Earlier text.")));
  const std::string path = Write("empty.txt", "");
  ASSERT_TRUE(Analyse(path));
  EXPECT_EQ(result_->path.data(), path);
  EXPECT_EQ(result_->size, 0u);
  EXPECT_FALSE(result_->contentRead);
  EXPECT_EQ(Preview(), "");
  EXPECT_STREQ(result_->typeDescription, "Unknown");
  EXPECT_EQ(Counts(*result_), (std::vector<uint32_t>{0, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(result_->derived.characters + result_->derived.averageWord + result_->derived.averageSentence, 0u);
}

TEST_F(AnalyseFileTest, HeadIsCappedButStatisticsCoverEveryByte) {
  // The last head byte a space, then byte 50,000: a word only when scanned.
  const std::string text = "<html>" + std::string(kHeadLimit - 7, 'y') + " w";
  ASSERT_TRUE(Analyse(Write("long.html", text)));
  EXPECT_EQ(result_->size, kHeadLimit + 1);
  EXPECT_EQ(Preview(), text.substr(0, kHeadLimit));
  EXPECT_STREQ(result_->typeDescription, "HTML Web Page");
  EXPECT_EQ(result_->counts.words, 2u);
  EXPECT_EQ(result_->derived.characters, kHeadLimit + 1);
}

TEST_F(AnalyseFileTest, ZeroByteEndsThePreviewNotTheStatistics) {
  ASSERT_TRUE(Analyse(Write("zero.txt", "Ten bytes.\0 More words. End\n"s)));
  EXPECT_EQ(Preview(), "Ten bytes.");
  EXPECT_EQ(Counts(*result_), OnePass("Ten bytes. More words. End\n"));
}

TEST_F(AnalyseFileTest, ClassCarriesAcrossChunks) {
  std::string text(2 * kChunkSize + 10, 'q');
  text[kChunkSize] = '.';          // a sentence ends across the first boundary
  text[2 * kChunkSize - 1] = ' ';  // a word starts across the second
  ASSERT_TRUE(Analyse(Write("chunks.txt", text)));
  EXPECT_EQ(result_->counts.sentences, 1u);
  EXPECT_EQ(result_->counts.words, 2u);
}

TEST_F(AnalyseFileTest, ShortFileAfterAWavFileSeesNothingOfIt) {
  ASSERT_TRUE(Analyse(Write("sound.wav", "RIFF\x2C\0\0\0WAVEfmt "s + std::string(40, 'x'))));
  EXPECT_STREQ(result_->typeDescription, "Windows PCM Audio");
  ASSERT_TRUE(Analyse(Write("a.txt", "a")));
  EXPECT_STREQ(result_->typeDescription, "Unknown");
  EXPECT_EQ(Preview(), "a");
  EXPECT_EQ(result_->derived.characters, 1u);
  EXPECT_EQ(std::string(buffer_.begin() + 1, buffer_.begin() + 5), "\0\0\0\0"s);  // the head is terminated
}

TEST_F(AnalyseFileTest, StatisticsStopAtTheLimitAndSizesPast4GiBAreWhole) {
  // Sparse: the zero bytes count nothing, the words around the limit do.
  const std::string path = Write("sparse.pdf", "%PDF-1.4 a");
  for (uint64_t size : {uint64_t{kStatisticsLimit} + 3, (uint64_t{1} << 32) + 1000}) {
    fs::resize_file(path, size);
    {
      std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
      f.seekp(kStatisticsLimit - 2);
      f.write(" b c", 4);  // "c" lies one byte past the limit
    }
    ASSERT_TRUE(Analyse(path));
    EXPECT_EQ(result_->size, size);
    EXPECT_STREQ(result_->typeDescription, "Portable Document Format");
    EXPECT_EQ(result_->counts.words, 3u) << size;  // the start value, a and b; never c
  }
}

TEST_F(AnalyseFileTest, FailuresLeaveTheResultUntouchedAndSayWhy) {
  ASSERT_TRUE(Analyse(Write("good.txt", "Good text.")));
  fs::create_directory(dir_ / "folder");
  const struct {
    std::string path;
    FileError error;
  } rows[] = {{(dir_ / "missing.txt").string(), FileError::NotFound},
              {(dir_ / "folder").string(), FileError::NotAFile},
              {std::string(kTextCapacity, 'p'), FileError::PathTooLong}};
  for (const auto& row : rows) {
    FileError error = FileError::None;
    EXPECT_FALSE(Analyse(row.path, &error));
    EXPECT_EQ(error, row.error) << row.path;
    EXPECT_EQ(Preview(), "Good text.");
    EXPECT_EQ(result_->counts.sentences, 1u);
  }
  EXPECT_FALSE(Analyse(rows[0].path));  // no error asked for
}

}  // namespace
