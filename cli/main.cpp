// quorvane-cli: the analysis engine from the console, one file after another
// with one WorkBuffer, exactly as the window analyses them.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "analyse_file.h"
#include "console.h"
#include "grouped_number.h"
#include "text_encoding.h"
#include "version.h"

namespace {

constexpr const char* kUsage = "usage: quorvane-cli [--json] FILE...\n";
constexpr const char* kVersion = "quorvane-cli " QUORVANE_VERSION_TEXT "\n";

enum ExitStatus { kExitOk = 0, kExitFileFailed = 1, kExitUsage = 2 };

void PrintHelp() {
  fputs(kUsage, stdout);
  fputs(
      "\n"
      "Tells what kind of file each FILE is and describes its content: size,\n"
      "type, a preview of its head and text statistics over its first\n"
      "50,000,000 bytes.\n"
      "\n"
      "  --json     one JSON object per file, one per line\n"
      "  --help     show this help and exit\n"
      "  --version  show the version and exit\n"
      "  --         treat every later argument as a file name\n"
      "\n"
      "Exit status: 0 when every file was analysed, 1 when a file could not be\n"
      "opened, 2 on a usage error.\n",
      stdout);
}

void PrintField(const char* label, const char* value) { printf("%-13s %s\n", label, value); }

void PrintGrouped(const char* label, uint32_t value) { PrintField(label, FormatGroupedSize(value).data()); }

// Both name the file by its argument: a result holds no name longer than 599
// characters, and on Windows only the argument has the name as it is.
void PrintText(const char* name, const AnalysisResult& r) {
  printf("%-13s ", "File Name");
  WriteConsoleUtf8(stdout, name, strlen(name));
  fputc('\n', stdout);
  PrintField("Size (Bytes)", FormatGroupedSize(r.size).data());
  PrintField("Type", r.typeDescription);
  PrintGrouped("Characters", r.derived.characters);
  PrintGrouped("Words", r.counts.words);
  PrintGrouped("Letters", r.counts.letters);
  PrintGrouped("Lines", r.counts.lines);
  PrintGrouped("Numbers", r.counts.digits);
  PrintGrouped("Sentences", r.counts.sentences);
  PrintGrouped("Spaces", r.counts.spaces);
  PrintGrouped("Avg Wd", r.derived.averageWord);
  PrintGrouped("Symbols", r.counts.symbols);
  PrintGrouped("Avg Sent", r.derived.averageSentence);
  fputs("Preview\n", stdout);
  WriteConsoleWindows1252(stdout, r.preview.data(), r.previewLength);
  fputc('\n', stdout);
}

void PrintJson(const char* name, const AnalysisResult& r) {
  fputs("{\"path\":\"", stdout);
  WriteJsonUtf8(stdout, name, strlen(name));
  printf("\",\"size\":%" PRIu64 ",\"content_read\":%s,\"type\":\"", r.size, r.contentRead ? "true" : "false");
  WriteJsonWindows1252(stdout, r.typeDescription, strlen(r.typeDescription));
  fputs("\",\"preview\":\"", stdout);
  WriteJsonWindows1252(stdout, r.preview.data(), r.previewLength);
  printf("\",\"letters\":%" PRIu32 ",\"words\":%" PRIu32 ",\"lines\":%" PRIu32 ",\"sentences\":%" PRIu32
         ",\"digits\":%" PRIu32 ",\"spaces\":%" PRIu32 ",\"symbols\":%" PRIu32 ",\"characters\":%" PRIu32
         ",\"average_word\":%" PRIu32 ",\"average_sentence\":%" PRIu32 "}\n",
         r.counts.letters, r.counts.words, r.counts.lines, r.counts.sentences, r.counts.digits, r.counts.spaces,
         r.counts.symbols, r.derived.characters, r.derived.averageWord, r.derived.averageSentence);
}

int UsageError(const char* message, const char* argument) {
  fprintf(stderr, "quorvane-cli: %s", message);
  WriteConsoleUtf8(stderr, argument, strlen(argument));
  fputc('\n', stderr);
  fputs(kUsage, stderr);
  return kExitUsage;
}

}  // namespace

int RunCli(int argc, char** argv) {
  PrepareConsole();
  bool json = false;
  int first = argc;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (strcmp(arg, "--") == 0) {
      first = i + 1;
      break;
    }
    if (arg[0] != '-' || arg[1] == '\0') {
      first = i;
      break;
    }
    if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
      PrintHelp();
      return kExitOk;
    }
    if (strcmp(arg, "--version") == 0) {
      fputs(kVersion, stdout);
      return kExitOk;
    }
    if (strcmp(arg, "--json") != 0) return UsageError("unknown option ", arg);
    json = true;
  }
  if (first >= argc) return UsageError("no file named", "");

  // A console or NUL would take every character in a write of its own; each
  // report goes out in one piece instead.
  static char outBuffer[1 << 18];
  setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

  // One allocation for the result and the WorkBuffer: the result holds the
  // 50,000-byte preview, which as a static with its initial values would be
  // stored in the executable.
  auto* memory = static_cast<uint8_t*>(calloc(sizeof(AnalysisResult) + kWorkBufferSize, sizeof(uint8_t)));
  if (memory == nullptr) {
    fputs("quorvane-cli: out of memory\n", stderr);
    return kExitFileFailed;
  }
  AnalysisResult& result = *new (memory) AnalysisResult();
  uint8_t* workBuffer = memory + sizeof(AnalysisResult);
  int status = kExitOk;
  bool reported = false;  // text reports are separated by an empty line
  for (int i = first; i < argc; ++i) {
    FileError error = FileError::None;
    if (!AnalyseNamedFile(argv[i], workBuffer, result, &error)) {
      fflush(stdout);
      fputs("quorvane-cli: ", stderr);
      WriteConsoleUtf8(stderr, argv[i], strlen(argv[i]));
      fprintf(stderr, ": %s\n", DescribeFileError(error));
      status = kExitFileFailed;
      continue;
    }
    if (json) {
      PrintJson(argv[i], result);
    } else {
      if (reported) fputc('\n', stdout);
      PrintText(argv[i], result);
      reported = true;
    }
    fflush(stdout);
  }
  free(memory);

  if (fflush(stdout) != 0 || ferror(stdout)) {
    fputs("quorvane-cli: cannot write the output\n", stderr);
    return kExitFileFailed;
  }
  return status;
}
