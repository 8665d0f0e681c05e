// What the console front-end does differently on each platform.
#pragma once

#include "file_io.h"

// The program itself, which each platform's entry point calls with the
// arguments twice: names in UTF-8 (as bytes where the system names files by
// bytes), for what it writes, and paths as the system names them, for
// opening; a null path is a name with no Unicode form.
int RunCli(int argc, char** names, PathChar** paths);

// Makes the console show the UTF-8 the program writes, until it ends.
void PrepareConsole();
