// One argument of the process's command line, the way the shell quotes a
// file's path: double quotes protect spaces and tabs and are then removed; a
// backslash has no meaning of its own.
#pragma once

#include "bounded_text.h"

enum class ArgumentStatus : int {
  Found = 1,      // output holds the argument
  TooFew = 2,     // fewer arguments than asked for; output empty
  OddQuotes = 3,  // odd number of double quotes; output not written
  Empty = 4,      // empty after removing quotes, or only blanks follow argument n - 1; output empty
  TooLong = 5,    // longer than 599 characters; output not written
};

// Argument n of commandLine, counting the program path as argument 0. The
// line is taken whole, at any length. Only spaces and tabs separate
// arguments; a tab inside quotes comes out as a space.
ArgumentStatus GetCommandArgument(const char* commandLine, int n, TextBuffer& output);

// The same over wide characters, 599 of them at most.
ArgumentStatus GetCommandArgument(const wchar_t* commandLine, int n, WideTextBuffer& output);
