#include "command_line.h"

namespace {

// The rules hold alike for ANSI bytes and wide characters: only spaces, tabs
// and double quotes have a meaning, and each is one unit in either.
template <typename Char>
bool IsBlank(Char c) {
  return c == ' ' || c == '\t';
}

template <typename Char>
const Char* SkipBlanks(const Char* at) {
  while (IsBlank(*at)) ++at;
  return at;
}

// End of the argument starting at start: the first blank outside quotes, or
// the end of the line. Every argument starts outside quotes, since a blank
// inside them never separates.
template <typename Char>
const Char* ArgumentEnd(const Char* start) {
  bool quoted = false;
  const Char* at = start;
  for (; *at != '\0' && (quoted || !IsBlank(*at)); ++at) {
    if (*at == '"') quoted = !quoted;
  }
  return at;
}

template <typename Char>
ArgumentStatus FindArgument(const Char* commandLine, int n, std::array<Char, kTextCapacity>& output) {
  static constexpr Char kEmpty[1] = {};
  if (commandLine == nullptr) commandLine = kEmpty;

  size_t quoteCount = 0;
  for (const Char* at = commandLine; *at != '\0'; ++at) {
    if (*at == '"') ++quoteCount;
  }
  if (quoteCount % 2 != 0) return ArgumentStatus::OddQuotes;

  if (n < 0) {
    output[0] = '\0';
    return ArgumentStatus::TooFew;
  }

  // Pass n arguments, each with the run of blanks after it; a line that ends
  // before the n-th run has fewer arguments than asked for.
  const Char* start = SkipBlanks(commandLine);
  for (int passed = 0; passed < n; ++passed) {
    const Char* end = ArgumentEnd(start);
    if (*end == '\0') {
      output[0] = '\0';
      return ArgumentStatus::TooFew;
    }
    start = SkipBlanks(end);
  }

  // Measure before writing, so a too long argument leaves output untouched.
  const Char* end = ArgumentEnd(start);
  size_t length = 0;
  for (const Char* at = start; at != end; ++at) {
    if (*at != '"') ++length;
  }
  if (length >= output.size()) return ArgumentStatus::TooLong;

  // Inside this argument every blank is a protected one.
  size_t written = 0;
  for (const Char* at = start; at != end; ++at) {
    if (*at == '"') continue;
    output[written++] = *at == '\t' ? Char{' '} : *at;
  }
  output[written] = '\0';
  return written == 0 ? ArgumentStatus::Empty : ArgumentStatus::Found;
}

}  // namespace

ArgumentStatus GetCommandArgument(const char* commandLine, int n, TextBuffer& output) {
  return FindArgument(commandLine, n, output);
}

ArgumentStatus GetCommandArgument(const wchar_t* commandLine, int n, WideTextBuffer& output) {
  return FindArgument(commandLine, n, output);
}
