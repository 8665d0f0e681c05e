// The ten figures of a result in the order the window reads them, Ctrl+C
// copies them and the console program prints them: one table for every
// front end, which takes each figure's texts from it. The window writes its
// fields in this order too, not the order they were first written down in,
// which no user can see.
#pragma once

#include <cstdint>

#include "analyse_file.h"
#include "grouped_number.h"

// A figure, in units of a tenth to the power decimals: 45 with one decimal
// is 4.5. Every figure is whole today.
struct Figure {
  uint32_t units;
  uint8_t decimals = 0;  // nine at most
};

// A figure as the window and the text report show it, grouped with full
// stops and a decimal comma (1.000.050, 4,5), and as JSON writes it
// (1000050, 4.5).
struct FigureTexts {
  NumberText shown;
  NumberText json;
};
FigureTexts FigureText(Figure figure);

struct FigureRow {
  int fieldId;          // the main window's field
  const char* label;    // as the window and the text report name it
  const char* jsonKey;  // in the console program's JSON
  Figure (*value)(const AnalysisResult& result);
};

constexpr int kFigureCount = 10;
extern const FigureRow kFigureRows[kFigureCount];
