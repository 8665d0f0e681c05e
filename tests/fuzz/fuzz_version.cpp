// Any version record, its service pack text unterminated too: the name always
// fits its buffer and is terminated.
#include <cstring>
#include <memory>

#include "fuzz.h"
#include "system_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t at = 0;
  const auto next = [&] { return at < size ? data[at++] : uint8_t{}; };
  const auto record = std::make_unique<VersionRecord>();
  record->platformId = next();
  record->major = next();
  record->minor = next();
  record->productType = next();
  record->suiteMask = static_cast<uint16_t>(next() << 8 | next());
  record->extended = (next() & 1) != 0;
  record->tablet = next();
  record->mediaCentre = next();
  for (char& c : record->servicePack) c = static_cast<char>(next());
  const auto name = std::make_unique<TextBuffer>();
  name->fill('#');
  DescribeVersion(*record, *name);
  Check(memchr(name->data(), 0, kTextCapacity) != nullptr && (*name)[0] != '\0');
  return 0;
}
