// One line naming the running Windows version, e.g. "Windows XP Professional,
// Service Pack 2", for the About dialog and the support e-mail.
#pragma once

#include <array>
#include <cstdint>

#include "bounded_text.h"

constexpr uint32_t kPlatform9x = 1;  // the Windows 95 family
constexpr uint32_t kPlatformNt = 2;
constexpr uint8_t kProductWorkstation = 1;
constexpr uint8_t kProductDomainController = 2;
constexpr uint8_t kProductServer = 3;
constexpr uint16_t kSuitePersonal = 0x200;  // a home edition

// What the platform tells about its version, filled by hand in tests.
struct VersionRecord {
  uint32_t platformId{};
  uint32_t major{};
  uint32_t minor{};
  std::array<char, 128> servicePack{};  // empty when there is none
  uint8_t productType{};                // only in the extended record
  uint16_t suiteMask{};                 // only in the extended record
  bool extended{};                      // the extended record was obtained
  int tablet{};                         // non-zero on a Tablet PC edition
  int mediaCentre{};                    // non-zero on a Media Center edition
};

// Names the version the record describes; the result always fits.
void DescribeVersion(const VersionRecord& record, TextBuffer& text);

#ifdef _WIN32
// Asks the platform for the running version and names it; "Unknown OS" when
// the platform tells nothing.
void DescribeSystem(TextBuffer& text);
#endif
