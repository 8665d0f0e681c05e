// The program's one window: a modeless dialog of the class "QUOR".
#pragma once

#include <windows.h>

#include <cstdint>

#include "analyse_file.h"

constexpr char kMainClassName[] = "QUOR";

// Registers the main window class; false when the platform refuses.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the hidden main window from its template, or returns null.
HWND CreateMainWindow(HINSTANCE instance);

// The WorkBuffer every analysis of the main window reads into, and the result
// it fills.
void SetMainAnalysis(uint8_t* workBuffer, AnalysisResult* result);

// Analyses path and shows the result; a file that cannot be opened changes
// nothing.
void AnalyseAndShow(HWND window, const char* path);

void ShowResult(HWND window, const AnalysisResult& result);

// Sets a field's whole text to value, grouped (1.000.050).
void ShowGroupedNumber(HWND window, int fieldId, int32_t value);
