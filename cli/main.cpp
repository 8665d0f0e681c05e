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
#include "result_fields.h"
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
      "50,000,000 bytes. On Windows, * and ? in a name's last part stand for\n"
      "the files they match, in order of name.\n"
      "\n"
      "  --json     one JSON object per file, one per line\n"
      "  --help     show this help and exit\n"
      "  --version  show the version and exit\n"
      "  --         treat every later argument as a file name\n"
      "\n"
      "Options may stand anywhere before \"--\".\n"
      "\n"
      "Exit status: 0 when every file was analysed; 1 when a file could not be\n"
      "opened or changed while it was read, or the output could not be\n"
      "written; 2 on a usage error.\n",
      stdout);
}

void PrintField(const char* label, const char* value) { printf("%-13s %s\n", label, value); }

// Both name the file by its argument, as the user gave it.
void PrintText(const char* name, const AnalysisResult& r) {
  printf("%-13s ", "File Name");
  WriteConsoleUtf8(stdout, name, strlen(name));
  fputc('\n', stdout);
  PrintField("Size (Bytes)", FormatGroupedSize(r.size).data());
  PrintField("Type", r.typeDescription);
  for (const FigureRow& row : kFigureRows) PrintField(row.label, FormatGroupedSize(row.value(r)).data());
  fputs("Preview\n", stdout);
  WritePreview(stdout, r, false);
  fputc('\n', stdout);
}

void PrintJson(const char* name, const AnalysisResult& r) {
  fputs("{\"path\":\"", stdout);
  WriteJsonUtf8(stdout, name, strlen(name));
  printf("\",\"size\":%" PRIu64 ",\"content_read\":%s,\"type\":\"", r.size, r.contentRead ? "true" : "false");
  WriteJsonWindows1252(stdout, r.typeDescription, strlen(r.typeDescription));
  fputs("\",\"preview\":\"", stdout);
  WritePreview(stdout, r, true);
  printf("\",\"preview_encoding\":\"%s\",\"code_page\":%" PRIu32 ",\"counted_bytes\":%" PRIu32,
         PreviewEncodingName(r.previewEncoding), AnsiCodePage(), r.countedBytes);
  for (const FigureRow& row : kFigureRows) printf(",\"%s\":%" PRIu32, row.jsonKey, row.value(r));
  fputs("}\n", stdout);
}

int UsageError(const char* message, const char* argument) {
  fprintf(stderr, "quorvane-cli: %s", message);
  WriteConsoleUtf8(stderr, argument, strlen(argument));
  fputc('\n', stderr);
  fputs(kUsage, stderr);
  return kExitUsage;
}

void ReportFailure(const char* name, const char* why) {
  fflush(stdout);
  fputs("quorvane-cli: ", stderr);
  WriteConsoleUtf8(stderr, name, strlen(name));
  fprintf(stderr, ": %s\n", why);
}

// Options may stand anywhere before "--", as GNU tools take them; "-"
// alone, and everything after "--", names a file. Whether arg names a file,
// taken in turn from the first argument on.
bool NamesFile(const char* arg, bool& dashes) {
  if (!dashes && strcmp(arg, "--") == 0) {
    dashes = true;
    return false;
  }
  return dashes || arg[0] != '-' || arg[1] == '\0';
}

}  // namespace

int RunCli(int argc, char** names, PathChar** paths) {
  PrepareConsole();
  bool json = false, dashes = false;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const char* arg = names[i];
    if (NamesFile(arg, dashes)) {
      files += 1;
    } else if (dashes) {
      continue;  // the "--" itself
    } else if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
      PrintHelp();
      return kExitOk;
    } else if (strcmp(arg, "--version") == 0) {
      fputs(kVersion, stdout);
      return kExitOk;
    } else if (strcmp(arg, "--json") == 0) {
      json = true;
    } else {
      return UsageError("unknown option ", arg);
    }
  }
  if (files == 0) return UsageError("no file named", "");

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
  dashes = false;
  for (int i = 1; i < argc; ++i) {
    if (!NamesFile(names[i], dashes)) continue;
    FileError error = FileError::None;
    if (paths[i] == nullptr || !AnalyseFile(paths[i], workBuffer, result, &error)) {
      ReportFailure(names[i], paths[i] == nullptr ? "not a valid Unicode name" : DescribeFileError(error));
      status = kExitFileFailed;
      continue;
    }
    if (json) {
      PrintJson(names[i], result);
    } else {
      if (reported) fputc('\n', stdout);
      PrintText(names[i], result);
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
