#include <windows.h>

#include "command_line.h"

ArgumentStatus GetCommandArgument(int n, TextBuffer& output) {
  return GetCommandArgument(GetCommandLineA(), n, output);
}

ArgumentStatus GetCommandArgument(int n, WideTextBuffer& output) {
  return GetCommandArgument(GetCommandLineW(), n, output);
}

bool CommandLineFitsAnsi() {
  BOOL usedDefault = FALSE;
  return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, GetCommandLineW(), -1, nullptr, 0, nullptr, &usedDefault) !=
             0 &&
         !usedDefault;
}
