#include <cstring>

#include "console.h"
#include "text_encoding.h"

// Terminals here take UTF-8 already, and paths are bytes: UTF-8 where they are valid.
void PrepareConsole() {}

void WriteJsonPath(FILE* out, const char* path) { WriteJsonUtf8OrWindows1252(out, path, strlen(path)); }
