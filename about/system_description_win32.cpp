#include <windows.h>

#include <cstring>

#include "system_description.h"

namespace {

// Fields that the basic and the extended record share.
template <typename Info>
void TakeCommonFields(const Info& info, VersionRecord& record) {
  record.platformId = info.dwPlatformId;
  record.major = info.dwMajorVersion;
  record.minor = info.dwMinorVersion;
  static_assert(sizeof(info.szCSDVersion) == sizeof(record.servicePack));
  memcpy(record.servicePack.data(), info.szCSDVersion, sizeof(info.szCSDVersion));
  record.servicePack.back() = '\0';
}

}  // namespace

void DescribeSystem(TextBuffer& text) {
  // Zeroed first: platform id 0 names an unknown system when both queries fail.
  VersionRecord record{};

  OSVERSIONINFOEXA extendedInfo{};
  extendedInfo.dwOSVersionInfoSize = sizeof(extendedInfo);
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extendedInfo))) {
    TakeCommonFields(extendedInfo, record);
    record.productType = extendedInfo.wProductType;
    record.suiteMask = extendedInfo.wSuiteMask;
    record.extended = true;
  } else {
    OSVERSIONINFOA basicInfo{};
    basicInfo.dwOSVersionInfoSize = sizeof(basicInfo);
    if (GetVersionExA(&basicInfo)) TakeCommonFields(basicInfo, record);
  }

  record.tablet = GetSystemMetrics(SM_TABLETPC);
  record.mediaCentre = GetSystemMetrics(SM_MEDIACENTER);
  DescribeVersion(record, text);
}
