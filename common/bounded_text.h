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
// to the zero-terminated text in buffer, as many as fit in capacity bytes
// (capacity > 0), and terminates. Returns false when something had to be cut.
// A buffer with no terminator counts as full and is terminated at its last
// byte.
bool AppendText(char* buffer, size_t capacity, const char* text, size_t maxLength = SIZE_MAX);

template <size_t N>
bool AppendText(std::array<char, N>& buffer, const char* text, size_t maxLength = SIZE_MAX) {
  return AppendText(buffer.data(), N, text, maxLength);
}
