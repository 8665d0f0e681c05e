// What the console front-end does differently on each platform.
#pragma once

#include <cstdint>

#include "analyse_file.h"

// The program itself, given its arguments as UTF-8 (as bytes where the
// system names files by bytes); each platform's entry point calls it.
int RunCli(int argc, char** argv);

// Makes the console show the UTF-8 the program writes, until it ends.
void PrepareConsole();

// Opens the file an argument names, at any length the system takes, and
// analyses it; result.path is left empty.
bool AnalyseNamedFile(const char* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error);
