#include "system_description.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Case {
  uint32_t platformId;
  uint32_t major;
  uint32_t minor;
  uint8_t productType;
  uint16_t suiteMask;
  bool extended;
  int tablet;
  int mediaCentre;
  const char* servicePack;
  const char* expected;
};

std::string Describe(const VersionRecord& record) {
  TextBuffer text{};
  CopyText(text, "untouched");
  DescribeVersion(record, text);
  return text.data();
}

template <size_t N>
void ExpectDescriptions(const Case (&cases)[N]) {
  for (const Case& c : cases) {
    VersionRecord r;
    r.platformId = c.platformId, r.major = c.major, r.minor = c.minor;
    r.productType = c.productType, r.suiteMask = c.suiteMask, r.extended = c.extended;
    r.tablet = c.tablet, r.mediaCentre = c.mediaCentre;
    CopyText(r.servicePack, c.servicePack);
    EXPECT_EQ(Describe(r), c.expected);
  }
}

constexpr uint8_t kWs = kProductWorkstation;
constexpr uint8_t kDc = kProductDomainController;
constexpr uint8_t kSrv = kProductServer;

TEST(SystemDescription, NtBaseNameByVersion) {
  const Case cases[] = {
      {2, 5, 0, 0, 0, false, 1, 1, "", "Windows 2000"},
      {2, 5, 1, 0, 0, false, 1, 1, "", "Windows XP Tablet PC Edition"},
      {2, 5, 1, 0, 0, false, 0, 1, "", "Windows XP Media Center Edition"},
      {2, 5, 1, 0, 0, false, 0, 0, "", "Windows XP"},
      {2, 5, 2, 0, 0, false, 0, 0, "", "Windows Server 2003 family"},
      {2, 5, 3, 0, 0, false, 0, 0, "", "Unknown Window 2000"},
      {2, 6, 0, 0, 0, false, 0, 0, "", "Windows Vista"},
      {2, 6, 3, 0, 0, false, 0, 0, "", "Windows Vista"},
      {2, 4, 0, 0, 0, false, 0, 0, "", "Windows NT 4.0"},
      {2, 4, 1, 0, 0, false, 0, 0, "", "Unknown NT OS"},
      {2, 3, 1, 0, 0, false, 0, 0, "", "Windows NT 3.1"},
      {2, 3, 50, 0, 0, false, 0, 0, "", "Windows NT 3.5"},
      {2, 3, 51, 0, 0, false, 0, 0, "", "Windows NT 3.51"},
      {2, 3, 0, 0, 0, false, 0, 0, "", "Unknown NT OS"},
      {2, 7, 0, 0, 0, false, 0, 0, "", "Unknown NT OS"},
      {2, 10, 0, 0, 0, false, 0, 0, "", "Unknown NT OS"},
  };
  ExpectDescriptions(cases);
}

TEST(SystemDescription, NtEditionWordOnlyFromTheExtendedRecord) {
  const Case cases[] = {
      {2, 5, 1, kWs, 0, true, 0, 0, "Service Pack 2", "Windows XP Professional, Service Pack 2"},
      {2, 5, 1, kWs, kSuitePersonal, true, 0, 0, "", "Windows XP Home Edition"},
      {2, 4, 0, kWs, kSuitePersonal, true, 0, 0, "", "Windows NT 4.0 Workstation 4.0"},
      {2, 5, 0, kSrv, kSuitePersonal, true, 0, 0, "Service Pack 4", "Windows 2000 Server, Service Pack 4"},
      {2, 5, 0, kDc, 0, true, 0, 0, "Service Pack 4", "Windows 2000, Service Pack 4"},
      {2, 6, 0, kSrv, 0, true, 0, 0, "", "Windows Vista Server"},
      {2, 5, 3, kSrv, 0, true, 0, 0, "Service Pack 1", "Unknown Window 2000 Server, Service Pack 1"},
      {2, 7, 0, kWs, 0, true, 0, 0, "", "Unknown NT OS Professional"},
      {2, 5, 1, 0, 0, true, 0, 0, "", "Windows XP"},
      {2, 5, 1, 4, 0, true, 0, 0, "", "Windows XP"},
      {2, 5, 1, kWs, 0, false, 0, 0, "Service Pack 2", "Windows XP, Service Pack 2"},
  };
  ExpectDescriptions(cases);
}

TEST(SystemDescription, NineXFamilyMarksEditionsByTheSecondCharacter) {
  const Case cases[] = {
      {1, 4, 90, 0, 0, false, 0, 0, "", "Windows Me"},          {1, 4, 10, 0, 0, false, 0, 0, " A", "Windows 98 SE"},
      {1, 4, 0, 0, 0, false, 0, 0, " C", "Windows 95 OSR2"},    {1, 4, 0, 0, 0, false, 0, 0, " B", "Windows 95 B"},
      {1, 4, 0, 0, 0, false, 0, 0, "A", "Windows 95A"},         {1, 4, 0, 0, 0, false, 0, 0, " a", "Windows 95 a"},
      {1, 3, 0, kSrv, 0, true, 0, 0, " A", "Unknown 9x OS SE"},
  };
  ExpectDescriptions(cases);
}

TEST(SystemDescription, OtherPlatformsAreUnknown) {
  const Case cases[] = {
      {0, 5, 1, kWs, 0, true, 0, 0, "Service Pack 2", "Unknown OS"},
      {3, 4, 0, 0, 0, false, 0, 0, " A", "Unknown OS"},
  };
  ExpectDescriptions(cases);
  EXPECT_EQ(Describe(VersionRecord{}), "Unknown OS");
}

TEST(SystemDescription, UnterminatedServicePackIsTakenWhole) {
  VersionRecord record;
  record.platformId = kPlatformNt;
  record.major = 5;
  record.minor = 1;
  memset(record.servicePack.data(), 'x', record.servicePack.size());
  EXPECT_EQ(Describe(record), "Windows XP, " + std::string(128, 'x'));
}

}  // namespace
