#include "result_fields.h"

#include <cinttypes>
#include <cstdio>

#include "bounded_text.h"
#include "resource_ids.h"

const FigureRow kFigureRows[kFigureCount] = {
    {IDC_MAIN_CHARACTERS, "Characters", "characters",
     [](const AnalysisResult& r) -> Figure { return {r.derived.characters}; }},
    {IDC_MAIN_WORDS, "Words", "words", [](const AnalysisResult& r) -> Figure { return {r.counts.words}; }},
    {IDC_MAIN_LETTERS, "Letters", "letters", [](const AnalysisResult& r) -> Figure { return {r.counts.letters}; }},
    {IDC_MAIN_LINES, "Lines", "lines", [](const AnalysisResult& r) -> Figure { return {r.counts.lines}; }},
    {IDC_MAIN_DIGITS, "Numbers", "digits", [](const AnalysisResult& r) -> Figure { return {r.counts.digits}; }},
    {IDC_MAIN_SENTENCES, "Sentences", "sentences",
     [](const AnalysisResult& r) -> Figure { return {r.counts.sentences}; }},
    {IDC_MAIN_SPACES, "Spaces", "spaces", [](const AnalysisResult& r) -> Figure { return {r.counts.spaces}; }},
    {IDC_MAIN_AVERAGE_WORD, "Avg Wd", "average_word",
     [](const AnalysisResult& r) -> Figure { return {r.derived.averageWord}; }},
    {IDC_MAIN_SYMBOLS, "Symbols", "symbols", [](const AnalysisResult& r) -> Figure { return {r.counts.symbols}; }},
    {IDC_MAIN_AVERAGE_SENTENCE, "Avg Sent", "average_sentence",
     [](const AnalysisResult& r) -> Figure { return {r.derived.averageSentence}; }},
};

FigureTexts FigureText(Figure figure) {
  uint32_t scale = 1;
  for (int i = 0; i < figure.decimals; ++i) scale *= 10;
  FigureTexts texts{FormatGroupedSize(figure.units / scale), {}};
  snprintf(texts.json.data(), texts.json.size(), "%" PRIu32, figure.units / scale);
  if (figure.decimals != 0) {
    std::array<char, 12> fraction{','};  // the separator, nine digits at most and the terminator
    uint32_t rest = figure.units % scale;
    for (int i = figure.decimals; i != 0; --i, rest /= 10) fraction[i] = static_cast<char>('0' + rest % 10);
    AppendText(texts.shown, fraction.data());
    fraction[0] = '.';
    AppendText(texts.json, fraction.data());
  }
  return texts;
}
