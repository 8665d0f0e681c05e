#include "system_description.h"

#include <cstring>

namespace {

const char* NtBaseName(const VersionRecord& r) {
  if (r.major == 5) {
    switch (r.minor) {
      case 0: return "Windows 2000";
      case 1:
        if (r.tablet != 0) return "Windows XP Tablet PC Edition";
        if (r.mediaCentre != 0) return "Windows XP Media Center Edition";
        return "Windows XP";
      case 2: return "Windows Server 2003 family";
      default: return "Unknown Window 2000";
    }
  }
  // Every later NT version that still reports major 6 is named so too.
  if (r.major == 6) return "Windows Vista";
  if (r.major == 4 && r.minor == 0) return "Windows NT 4.0";
  if (r.major == 3) {
    switch (r.minor) {
      case 1: return "Windows NT 3.1";
      case 50: return "Windows NT 3.5";
      case 51: return "Windows NT 3.51";
      default: break;
    }
  }
  return "Unknown NT OS";
}

// nullptr when the product type has no edition word.
const char* EditionWord(const VersionRecord& r) {
  if (r.productType == kProductWorkstation) {
    if (r.major == 4) return "Workstation 4.0";
    if ((r.suiteMask & kSuitePersonal) != 0) return "Home Edition";
    return "Professional";
  }
  if (r.productType == kProductServer) return "Server";
  return nullptr;
}

const char* NineXBaseName(const VersionRecord& r) {
  if (r.major == 4 && r.minor == 90) return "Windows Me";
  if (r.major == 4 && r.minor == 10) return "Windows 98";
  if (r.major == 4 && r.minor == 0) return "Windows 95";
  return "Unknown 9x OS";
}

}  // namespace

void DescribeVersion(const VersionRecord& record, TextBuffer& text) {
  text[0] = '\0';
  // A record filled by hand need not be terminated.
  const char* servicePack = record.servicePack.data();
  const size_t servicePackLength = strnlen(servicePack, record.servicePack.size());

  if (record.platformId == kPlatformNt) {
    AppendText(text, NtBaseName(record));
    const char* edition = record.extended ? EditionWord(record) : nullptr;
    if (edition != nullptr) {
      AppendText(text, " ");
      AppendText(text, edition);
    }
    if (servicePackLength != 0) {
      AppendText(text, ", ");
      AppendText(text, servicePack, servicePackLength);
    }
  } else if (record.platformId == kPlatform9x) {
    AppendText(text, NineXBaseName(record));
    if (servicePackLength != 0) {
      // The 95 family marks its second editions by a letter after a space.
      // A one-letter mark has its terminator in the next byte.
      const char mark = servicePack[1];
      if (mark == 'A') {
        AppendText(text, " SE");
      } else if (mark == 'C') {
        AppendText(text, " OSR2");
      } else {
        AppendText(text, servicePack, servicePackLength);
      }
    }
  } else {
    AppendText(text, "Unknown OS");
  }
}
