// What the console front-end does differently on each platform.
#pragma once

#include <cstdio>

// Makes the console show the UTF-8 the program writes.
void PrepareConsole();

// A path as a JSON string's content, in UTF-8.
void WriteJsonPath(FILE* out, const char* path);

// A path for a terminal, in UTF-8, its control characters escaped.
void WriteConsolePath(FILE* out, const char* path);
