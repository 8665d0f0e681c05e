// Process-wide state of the program, set up at start-up and kept to the end.
#pragma once

#include <windows.h>

#include "directories.h"

extern HINSTANCE g_instance;
extern Directories g_directories;
// Set while the About dialog or the message dialog is open, so the main
// window never opens either a second time.
extern bool g_aboutOpen;
extern bool g_noticeOpen;
