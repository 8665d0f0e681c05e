#include "bounded_text.h"

#include <algorithm>
#include <cstring>

bool AppendText(char* buffer, size_t capacity, const char* text, size_t maxLength) {
  const size_t used = strnlen(buffer, capacity);
  if (used == capacity) {
    buffer[capacity - 1] = '\0';
    return false;
  }
  const size_t wanted = strnlen(text, maxLength);
  const size_t room = capacity - 1 - used;
  const size_t copied = std::min(wanted, room);
  memcpy(buffer + used, text, copied);
  buffer[used + copied] = '\0';
  return copied == wanted;
}
