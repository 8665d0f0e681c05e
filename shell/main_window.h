// The program's one window: a modeless dialog of the class "QUOR".
#pragma once

#include <windows.h>

#include <cstdint>

#include "analyse_file.h"
#include "directories.h"

// What the main window works with, set up at start-up and kept to the end.
struct MainWindowState {
  uint8_t* workBuffer = nullptr;             // kWorkBufferSize bytes, for every analysis
  AnalysisResult* result = nullptr;          // the last analysis
  wchar_t* previewText = nullptr;            // kHeadLimit units: the preview as its field shows it
  const Directories* directories = nullptr;  // for the About dialog
};

// Registers the main window class, a Unicode one as every window of the
// program is: its fields then keep any text as it is, where the fields of an
// ANSI window would turn what the code page lacks into question marks.
// False when the platform refuses.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the hidden main window from its template, working with state, or
// returns null.
HWND CreateMainWindow(HINSTANCE instance, MainWindowState* state);

// Analyses the file name names and shows it under that name. A file that
// cannot be opened, or changes while it is read, changes nothing in the
// window: the warning sound tells the user.
void ShowFile(HWND window, const wchar_t* name);

// Tells the user a file was refused without a word: the system's warning
// sound, as for any refused input.
void SoundRefusal();

// Ctrl+O (open a file) and Ctrl+C (copy what the window shows) anywhere in
// the window; true when message was one of them and is handled.
bool HandleShortcut(HWND window, const MSG& message);
