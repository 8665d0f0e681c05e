#include "command_line.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* at) {
  while (IsBlank(*at)) ++at;
  return at;
}

// End of the argument starting at start: the first blank outside quotes, or
// the end of the line. Every argument starts outside quotes, since a blank
// inside them never separates.
const char* ArgumentEnd(const char* start) {
  bool quoted = false;
  const char* at = start;
  for (; *at != '\0' && (quoted || !IsBlank(*at)); ++at) {
    if (*at == '"') quoted = !quoted;
  }
  return at;
}

}  // namespace

ArgumentStatus GetCommandArgument(const char* commandLine, int n, TextBuffer& output) {
  if (commandLine == nullptr) commandLine = "";

  size_t quoteCount = 0;
  for (const char* at = commandLine; *at != '\0'; ++at) {
    if (*at == '"') ++quoteCount;
  }
  if (quoteCount % 2 != 0) return ArgumentStatus::OddQuotes;

  if (n < 0) {
    output[0] = '\0';
    return ArgumentStatus::TooFew;
  }

  // Pass n arguments, each with the run of blanks after it; a line that ends
  // before the n-th run has fewer arguments than asked for.
  const char* start = SkipBlanks(commandLine);
  for (int passed = 0; passed < n; ++passed) {
    const char* end = ArgumentEnd(start);
    if (*end == '\0') {
      output[0] = '\0';
      return ArgumentStatus::TooFew;
    }
    start = SkipBlanks(end);
  }

  // Measure before writing, so a too long argument leaves output untouched.
  const char* end = ArgumentEnd(start);
  size_t length = 0;
  for (const char* at = start; at != end; ++at) {
    if (*at != '"') ++length;
  }
  if (length >= output.size()) return ArgumentStatus::TooLong;

  // Inside this argument every blank is a protected one.
  size_t written = 0;
  for (const char* at = start; at != end; ++at) {
    if (*at == '"') continue;
    output[written++] = *at == '\t' ? ' ' : *at;
  }
  output[written] = '\0';
  return written == 0 ? ArgumentStatus::Empty : ArgumentStatus::Found;
}
