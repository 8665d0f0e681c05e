#include "console.h"

// Names are bytes, written and opened as they are.
int main(int argc, char** argv) { return RunCli(argc, argv, argv); }

// Terminals here take UTF-8 already.
void PrepareConsole() {}
