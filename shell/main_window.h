// The program's one window: a modeless dialog of the class "QUOR".
#pragma once

#include <windows.h>

#include <cstdint>

#include "analyse_file.h"

constexpr wchar_t kMainClassName[] = L"QUOR";

// Registers the main window class, a Unicode one as every window of the
// program is: its fields then keep any text as it is, where the fields of an
// ANSI window would turn what the code page lacks into question marks.
// False when the platform refuses.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the hidden main window from its template, or returns null.
HWND CreateMainWindow(HINSTANCE instance);

// The WorkBuffer every analysis of the main window reads into, and the result
// it fills.
void SetMainAnalysis(uint8_t* workBuffer, AnalysisResult* result);

// Analyses path and shows the result; a file that cannot be opened changes
// nothing.
void AnalyseAndShow(HWND window, const char* path);

// Analyses the file a wide name names and shows the result: by its ANSI name
// where the code page holds it exactly, as every other call does; otherwise
// by the wide name, which the File Name field then shows as it is.
void OpenNamedFile(HWND window, const wchar_t* name);

// Ctrl+O (open a file) and Ctrl+C (copy what the window shows) anywhere in
// the window; true when message was one of them and is handled.
bool HandleShortcut(HWND window, const MSG& message);

void ShowResult(HWND window, const AnalysisResult& result);

// Sets a field's whole text to value, grouped (1.000.050).
void ShowGroupedNumber(HWND window, int fieldId, int32_t value);
