// What the console front-end does differently on each platform.
#pragma once

#include <cstdio>

#include "analyse_file.h"
#include "bounded_text.h"

// One argument of the command line, as the platform's entry point hands it on.
struct CliArgument {
  const char* name;      // in UTF-8 (as bytes where the system names files by bytes), for what is written
  const PathChar* path;  // as the system names files, for opening; null for a name with no Unicode form
  bool matched;          // a file a pattern matched: a file name, whatever it looks like
};

// The program itself, which each platform's entry point calls with the
// arguments after the program's own name.
int RunCli(CliArgument* arguments, int count);

// Makes the console show the UTF-8 the program writes, until it ends.
void PrepareConsole();

// Writes a result's preview inside a JSON string, or for a terminal, as the
// platform's window shows it (see PreviewWideText); Windows-1252 for an ANSI
// one where there is no such window.
void WritePreview(FILE* out, const AnalysisResult& result, bool json);

// The system's own words for an error code (see FileRead), in UTF-8 and
// without a closing full stop; its number where it has none.
TextBuffer DescribeSystemError(uint32_t code);
