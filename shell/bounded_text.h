// Bounded, always-terminated text composition into fixed buffers. Every
// composed text of the program goes through these, so no buffer is overrun
// whatever the length of the pieces.
#pragma once

#include <array>
#include <cstddef>

// Paths and composed texts: 599 characters and the terminator.
constexpr size_t kTextBufferSize = 600;
using TextBuffer = std::array<char, kTextBufferSize>;

// Appends at most maxLength characters of text (fewer when text ends sooner)
// to the zero-terminated text in buffer, as many as fit in capacity bytes,
// and terminates. Returns false when something had to be cut. A buffer with
// no terminator counts as full and is terminated at its last byte.
bool AppendText(char* buffer, size_t capacity, const char* text, size_t maxLength);
bool AppendText(char* buffer, size_t capacity, const char* text);

template <size_t N>
bool AppendText(std::array<char, N>& buffer, const char* text) {
  return AppendText(buffer.data(), N, text);
}

template <size_t N>
bool AppendText(std::array<char, N>& buffer, const char* text, size_t maxLength) {
  return AppendText(buffer.data(), N, text, maxLength);
}

// Replaces the buffer's text; same cutting and result as AppendText.
template <size_t N>
bool CopyText(std::array<char, N>& buffer, const char* text) {
  buffer[0] = '\0';
  return AppendText(buffer.data(), N, text);
}
