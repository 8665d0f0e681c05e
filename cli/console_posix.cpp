#include <cstring>

#include "console.h"
#include "text_encoding.h"

// Terminals here take UTF-8 already, and paths are bytes: UTF-8 where they are valid.
void PrepareConsole() {}

void WriteJsonPath(FILE* out, const char* path) { WriteJsonUtf8(out, path, strlen(path)); }

void WriteConsolePath(FILE* out, const char* path) { WriteConsoleUtf8(out, path, strlen(path)); }
