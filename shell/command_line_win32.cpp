#include <windows.h>

#include "command_line.h"

ArgumentStatus GetCommandArgument(int n, TextBuffer& output) {
  return GetCommandArgument(GetCommandLineA(), n, output);
}
