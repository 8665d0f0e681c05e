// Any bytes as a whole file, analysed through the real file layer with one
// work buffer that earlier inputs have left dirty: the result must be this
// file's own, whatever the buffer held.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "analyse_file.h"
#include "fuzz.h"
#include "signatures.h"

namespace {

const std::string& InputPath() {
  static const std::string path = "fuzz_input_" + std::to_string(getpid());
  return path;
}

void RemoveInput() { unlink(InputPath().c_str()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto* buffer = static_cast<uint8_t*>(malloc(kWorkBufferSize));
  static auto* result = new AnalysisResult();
  static const int removal = atexit(RemoveInput);
  FILE* file = fopen(InputPath().c_str(), "wb");
  Check(removal == 0 && file != nullptr && fwrite(data, 1, size, file) == size && fclose(file) == 0);
  const size_t headLength = size < kHeadLimit ? size : kHeadLimit;
  memset(buffer, 'q', headLength + 8);  // stale text where the head ends

  Check(AnalyseFile(InputPath().c_str(), buffer, *result));
  const void* zero = memchr(data, 0, headLength);
  const size_t preview = zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : headLength;
  Check(InputPath() == result->path.data() && result->size == size && result->contentRead == (size != 0));
  Check(result->previewLength == preview && memcmp(result->preview.data(), data, preview) == 0 &&
        result->preview[preview] == '\0');
  // An empty file reads nothing and so leaves the buffer as it was.
  Check(memcmp(buffer + headLength, size != 0 ? "\0\0\0\0" : "qqqq", 4) == 0);
  Check(strcmp(result->typeDescription, IdentifyType(data, headLength)) == 0);
  TextCounts counts;
  CharClass charClass = CharClass::None;
  CountText(data, size < kStatisticsLimit ? size : kStatisticsLimit, counts, charClass);
  Check(memcmp(&counts, &result->counts, sizeof counts) == 0);
  return 0;
}
