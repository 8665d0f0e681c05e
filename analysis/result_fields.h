// The ten figures of a result in the order the window reads them, Ctrl+C
// copies them and the console program prints them: one table for every
// front end.
#pragma once

#include <cstdint>

#include "analyse_file.h"

struct FigureRow {
  int fieldId;          // the main window's field
  const char* label;    // as the window and the text report name it
  const char* jsonKey;  // in the console program's JSON
  uint32_t (*value)(const AnalysisResult& result);
};

constexpr int kFigureCount = 10;
extern const FigureRow kFigureRows[kFigureCount];
