// The program's own folder and the folder set aside for user data.
#pragma once

#include "bounded_text.h"

struct Directories {
  // Both end in a backslash, and are empty when the folder is not known or
  // its name is longer than 599 characters (and then too long is set).
  WideTextBuffer program{};
  WideTextBuffer data{};
  bool programTooLong = false;
  bool dataTooLong = false;
};

// Settles both folders and creates the two levels of the roaming user-data
// folder when they are missing. Runs from a removable drive keep their data
// beside the program and create nothing.
void SetupDirectories(Directories& directories);
