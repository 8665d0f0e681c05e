#include "result_fields.h"

#include "resource_ids.h"

const FigureRow kFigureRows[kFigureCount] = {
    {IDC_MAIN_CHARACTERS, "Characters", "characters", [](const AnalysisResult& r) { return r.derived.characters; }},
    {IDC_MAIN_WORDS, "Words", "words", [](const AnalysisResult& r) { return r.counts.words; }},
    {IDC_MAIN_LETTERS, "Letters", "letters", [](const AnalysisResult& r) { return r.counts.letters; }},
    {IDC_MAIN_LINES, "Lines", "lines", [](const AnalysisResult& r) { return r.counts.lines; }},
    {IDC_MAIN_DIGITS, "Numbers", "digits", [](const AnalysisResult& r) { return r.counts.digits; }},
    {IDC_MAIN_SENTENCES, "Sentences", "sentences", [](const AnalysisResult& r) { return r.counts.sentences; }},
    {IDC_MAIN_SPACES, "Spaces", "spaces", [](const AnalysisResult& r) { return r.counts.spaces; }},
    {IDC_MAIN_AVERAGE_WORD, "Avg Wd", "average_word", [](const AnalysisResult& r) { return r.derived.averageWord; }},
    {IDC_MAIN_SYMBOLS, "Symbols", "symbols", [](const AnalysisResult& r) { return r.counts.symbols; }},
    {IDC_MAIN_AVERAGE_SENTENCE, "Avg Sent", "average_sentence",
     [](const AnalysisResult& r) { return r.derived.averageSentence; }},
};
