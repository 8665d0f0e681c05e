// What the console front-end does differently on each platform.
#pragma once

#include <cstdio>

#include "analyse_file.h"

// The program itself, which each platform's entry point calls with the
// arguments twice: names in UTF-8 (as bytes where the system names files by
// bytes), for what it writes, and paths as the system names them, for
// opening; a null path is a name with no Unicode form.
int RunCli(int argc, char** names, PathChar** paths);

// Makes the console show the UTF-8 the program writes, until it ends.
void PrepareConsole();

// Writes a result's preview inside a JSON string, or for a terminal, as the
// platform's window shows it (see PreviewWideText); Windows-1252 for an ANSI
// one where there is no such window.
void WritePreview(FILE* out, const AnalysisResult& result, bool json);
