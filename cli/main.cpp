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
#include "help_text.h"
#include "result_fields.h"
#include "text_encoding.h"
#include "version.h"

namespace {

constexpr const char* kVersion = "quorvane-cli " QUORVANE_VERSION_TEXT "\n";

enum ExitStatus { kExitOk = 0, kExitFileFailed = 1, kExitUsage = 2 };

// The usage: the help's first line.
void PrintUsage(FILE* out) { fwrite(kHelp, 1, strcspn(kHelp, "\n") + 1, out); }

void PrintField(const char* label, const char* value) { printf("%-13s %s\n", label, value); }

// Both name the file by its argument, as the user gave it.
void PrintText(const char* name, const AnalysisResult& r) {
  printf("%-13s ", "File Name");
  WriteConsoleUtf8(stdout, name, strlen(name));
  fputc('\n', stdout);
  PrintField("Size (Bytes)", FormatGroupedSize(r.size).data());
  PrintField("Type", r.typeDescription);
  for (const FigureRow& row : kFigureRows) PrintField(row.label, FigureText(row.value(r)).shown.data());
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
  for (const FigureRow& row : kFigureRows) printf(",\"%s\":%s", row.jsonKey, FigureText(row.value(r)).json.data());
  fputs("}\n", stdout);
}

int UsageError(const char* message, const char* argument) {
  fprintf(stderr, "quorvane-cli: %s", message);
  WriteConsoleUtf8(stderr, argument, strlen(argument));
  fputc('\n', stderr);
  PrintUsage(stderr);
  return kExitUsage;
}

// Names the file and the reason, and the system's own words for it, where
// there are some.
void ReportFailure(const char* name, const char* why, uint32_t systemError) {
  fflush(stdout);
  fputs("quorvane-cli: ", stderr);
  WriteConsoleUtf8(stderr, name, strlen(name));
  fprintf(stderr, ": %s", why);
  if (systemError != 0) fprintf(stderr, " (%s)", DescribeSystemError(systemError).data());
  fputc('\n', stderr);
}

// What the command line asks for.
enum class CliAction : uint8_t { Analyse, Help, Version, UnknownOption };
struct CliOptions {
  CliAction action = CliAction::Analyse;  // the first option that ends the run decides
  const char* unknown = nullptr;          // that option, when it is not known
  bool json = false;
  int fileCount = 0;  // the files, moved to the front of the arguments in their order
};

// Options may stand anywhere before "--", as GNU tools take them; "-"
// alone, everything after "--" and every name a pattern matched name files.
CliOptions ParseArguments(CliArgument* arguments, int count) {
  CliOptions options;
  bool dashes = false;
  const auto decide = [&options](CliAction action) {
    if (options.action == CliAction::Analyse) options.action = action;
  };
  for (int i = 0; i < count; ++i) {
    const char* arg = arguments[i].name;
    if (dashes || arguments[i].matched || arg[0] != '-' || arg[1] == '\0') {
      arguments[options.fileCount++] = arguments[i];
    } else if (strcmp(arg, "--") == 0) {
      dashes = true;
    } else if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
      decide(CliAction::Help);
    } else if (strcmp(arg, "--version") == 0) {
      decide(CliAction::Version);
    } else if (strcmp(arg, "--json") == 0) {
      options.json = true;
    } else if (options.unknown == nullptr) {
      decide(CliAction::UnknownOption);
      options.unknown = arg;
    }
  }
  return options;
}

}  // namespace

int RunCli(CliArgument* arguments, int count) {
  PrepareConsole();
  const CliOptions options = ParseArguments(arguments, count);
  switch (options.action) {
    case CliAction::Help: fputs(kHelp, stdout); return kExitOk;
    case CliAction::Version: fputs(kVersion, stdout); return kExitOk;
    case CliAction::UnknownOption: return UsageError("unknown option ", options.unknown);
    case CliAction::Analyse: break;
  }
  if (options.fileCount == 0) return UsageError("no file named", "");

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
  for (int i = 0; i < options.fileCount; ++i) {
    const CliArgument& file = arguments[i];
    FileError error = FileError::None;
    uint32_t systemError = 0;
    if (file.path == nullptr || !AnalyseFile(file.path, workBuffer, result, &error, &systemError)) {
      ReportFailure(file.name, file.path == nullptr ? "not a valid Unicode name" : DescribeFileError(error),
                    systemError);
      status = kExitFileFailed;
      continue;
    }
    if (options.json) {
      PrintJson(file.name, result);
    } else {
      if (reported) fputc('\n', stdout);
      PrintText(file.name, result);
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
