// Bounded, always-terminated text composition into fixed buffers. Every
// composed text of the program goes through these, so no buffer is overrun
// whatever the length of the pieces.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Paths and composed texts: 599 characters and the terminator.
constexpr size_t kTextCapacity = 600;
using TextBuffer = std::array<char, kTextCapacity>;
// Names that only wide characters can hold, as many characters.
using WideTextBuffer = std::array<wchar_t, kTextCapacity>;

// Appends at most maxLength characters of text (fewer when text ends sooner)
// to the zero-terminated text in buffer, as many as fit in capacity units
// (capacity > 0), and terminates. Returns false when something had to be cut.
// A buffer with no terminator counts as full and is terminated at its last
// unit. For 8-bit and wide texts alike.
template <typename Char>
bool AppendText(Char* buffer, size_t capacity, const Char* text, size_t maxLength = SIZE_MAX) {
  size_t used = 0;
  while (used < capacity && buffer[used] != Char{}) ++used;
  if (used == capacity) {
    buffer[capacity - 1] = Char{};
    return false;
  }
  size_t wanted = 0;
  while (wanted < maxLength && text[wanted] != Char{}) ++wanted;
  const size_t room = capacity - 1 - used;
  const size_t copied = wanted < room ? wanted : room;
  for (size_t i = 0; i < copied; ++i) buffer[used + i] = text[i];
  buffer[used + copied] = Char{};
  return copied == wanted;
}

template <typename Char, size_t N>
bool AppendText(std::array<Char, N>& buffer, const Char* text, size_t maxLength = SIZE_MAX) {
  return AppendText(buffer.data(), N, text, maxLength);
}
