// File type by signature: a fixed table of byte patterns at fixed offsets.
#pragma once

#include <cstddef>
#include <cstdint>

struct SignatureRow {
  uint32_t offset;        // from the first byte of the file
  uint32_t length;        // bytes compared; 0 ends the table
  const char* signature;  // exactly length bytes, upper case
  const char* description;
};

// The table in the order it is tried, ended by a row of length 0 whose
// description is the default, "Unknown".
extern const SignatureRow kSignatureTable[];

// Description of the first row that matches the head's byteCount bytes, or
// "Unknown". Bytes beyond byteCount are never looked at.
const char* IdentifyType(const uint8_t* head, size_t byteCount);
