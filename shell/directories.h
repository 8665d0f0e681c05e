// The program's own folder and the folder set aside for user data.
#pragma once

#include "bounded_text.h"

struct Directories {
  // Both end in a backslash; program is empty when the executable's path
  // cannot be had.
  TextBuffer program{};
  TextBuffer data{};
  // Both are UTF-8, as the ANSI code page cannot hold one of them; otherwise
  // both are ANSI, as every other text of the program is.
  bool utf8 = false;
};

// Settles both folders and creates the two levels of the roaming user-data
// folder when they are missing. Runs from a removable drive keep their data
// beside the program and create nothing.
void SetupDirectories(Directories& directories);
