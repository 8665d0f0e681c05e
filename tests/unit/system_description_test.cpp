#include "system_description.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Platform 1 is the Windows 95 family, 2 the NT family; product type 1
// workstation, 2 domain controller, 3 server; suite 0x200 a home edition.
TEST(DescribeVersion, RecordToName) {
  const struct {
    uint32_t platform, major, minor;
    uint8_t productType;
    uint16_t suite;
    bool extended;
    int tablet, mediaCentre;
    const char* servicePack;
    const char* name;
  } rows[] = {
      {2, 5, 0, 0, 0, false, 0, 0, "", "Windows 2000"},
      {2, 5, 1, 0, 0, false, 1, 1, "", "Windows XP Tablet PC Edition"},
      {2, 5, 1, 0, 0, false, 0, 1, "", "Windows XP Media Center Edition"},
      {2, 5, 2, 0, 0, false, 0, 0, "", "Windows Server 2003 family"},
      {2, 5, 3, 3, 0, true, 0, 0, "Service Pack 1", "Unknown Window 2000 Server, Service Pack 1"},
      {2, 6, 3, 3, 0, true, 0, 0, "", "Windows Vista Server"},
      {2, 4, 0, 1, 0x200, true, 0, 0, "", "Windows NT 4.0 Workstation 4.0"},
      {2, 4, 1, 0, 0, false, 0, 0, "", "Unknown NT OS"},
      {2, 3, 1, 0, 0, false, 0, 0, "", "Windows NT 3.1"},
      {2, 3, 50, 0, 0, false, 0, 0, "", "Windows NT 3.5"},
      {2, 3, 51, 0, 0, false, 0, 0, "", "Windows NT 3.51"},
      {2, 3, 0, 0, 0, false, 0, 0, "", "Unknown NT OS"},
      {2, 7, 0, 1, 0, true, 0, 0, "", "Unknown NT OS Professional"},
      {2, 5, 1, 1, 0, true, 0, 0, "Service Pack 2", "Windows XP Professional, Service Pack 2"},
      {2, 5, 1, 1, 0x200, true, 0, 0, "", "Windows XP Home Edition"},
      {2, 5, 0, 2, 0, true, 0, 0, "Service Pack 4", "Windows 2000, Service Pack 4"},
      {2, 5, 1, 1, 0, false, 0, 0, "Service Pack 2", "Windows XP, Service Pack 2"},
      {1, 4, 90, 0, 0, false, 0, 0, "", "Windows Me"},
      {1, 4, 10, 0, 0, false, 0, 0, " A", "Windows 98 SE"},
      {1, 4, 0, 0, 0, false, 0, 0, " C", "Windows 95 OSR2"},
      {1, 4, 0, 0, 0, false, 0, 0, " B", "Windows 95 B"},
      {1, 3, 0, 3, 0, true, 0, 0, "A", "Unknown 9x OSA"},
      {0, 5, 1, 1, 0, true, 0, 0, "Service Pack 2", "Unknown OS"},
      {3, 4, 0, 0, 0, false, 0, 0, " A", "Unknown OS"},
  };
  for (const auto& row : rows) {
    VersionRecord r;
    r.platformId = row.platform, r.major = row.major, r.minor = row.minor;
    r.productType = row.productType, r.suiteMask = row.suite, r.extended = row.extended;
    r.tablet = row.tablet, r.mediaCentre = row.mediaCentre;
    CopyText(r.servicePack, row.servicePack);
    TextBuffer name{};
    CopyText(name, "untouched");
    DescribeVersion(r, name);
    EXPECT_STREQ(name.data(), row.name);
  }
  // A service pack filling its whole field, unterminated, is taken whole.
  VersionRecord r;
  r.platformId = 2, r.major = 5, r.minor = 1;
  memset(r.servicePack.data(), 'x', r.servicePack.size());
  TextBuffer name{};
  DescribeVersion(r, name);
  EXPECT_EQ(name.data(), "Windows XP, " + std::string(128, 'x'));
}

}  // namespace
