// Process-wide state of the program, set up at start-up and kept to the end.
#pragma once

#include <windows.h>

#include "directories.h"

extern HINSTANCE g_instance;
extern Directories g_directories;
