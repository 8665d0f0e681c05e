#include "extended_name.h"

#include <cwchar>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDrive(const wchar_t* name) {
  const wchar_t letter = name[0] | 0x20;  // lower case
  return letter >= L'a' && letter <= L'z' && name[1] == L':';
}

bool StartsWith(const wchar_t* text, const wchar_t* start) { return wcsncmp(text, start, wcslen(start)) == 0; }

// A name made in place: ".." never takes away more than its root.
struct Building {
  wchar_t* text;
  size_t capacity;
  size_t length{};
  size_t rootEnd{};
  bool fits = true;
};

void Append(Building& b, const wchar_t* from, size_t count) {
  if (!b.fits || count > b.capacity - b.length) {
    b.fits = false;
    return;
  }
  wmemcpy(b.text + b.length, from, count);
  b.length += count;
}

void AddSegment(Building& b, const wchar_t* segment, size_t count) {
  if (count == 1 && segment[0] == L'.') return;
  if (count == 2 && segment[0] == L'.' && segment[1] == L'.') {
    while (b.length > b.rootEnd && b.text[b.length - 1] != L'\\') --b.length;
    if (b.length > b.rootEnd) --b.length;
    return;
  }
  Append(b, L"\\", 1);
  Append(b, segment, count);
}

// Adds every segment of path; true when it ends in a separator.
bool AddSegments(Building& b, const wchar_t* path) {
  const wchar_t* at = path;
  while (*at != L'\0') {
    while (IsSeparator(*at)) ++at;
    const wchar_t* start = at;
    while (*at != L'\0' && !IsSeparator(*at)) ++at;
    if (at != start) AddSegment(b, start, static_cast<size_t>(at - start));
  }
  return at != path && IsSeparator(at[-1]);
}

const wchar_t* AddDrive(Building& b, const wchar_t* path) {
  Append(b, L"\\\\?\\", 4);
  Append(b, path, 2);
  b.rootEnd = b.length;
  return path + 2;
}

// Adds the root of a full path (C: or a server's share, either perhaps in
// the extended form already) and returns what follows it; null when path is
// no full path.
const wchar_t* AddRoot(Building& b, const wchar_t* path) {
  const wchar_t* server = nullptr;
  if (StartsWith(path, L"\\\\?\\UNC\\")) {
    server = path + 8;
  } else if (StartsWith(path, L"\\\\?\\")) {
    path += 4;
  }
  if (server == nullptr && HasDrive(path) && (path[2] == L'\0' || IsSeparator(path[2]))) return AddDrive(b, path);
  if (server == nullptr && IsSeparator(path[0]) && IsSeparator(path[1])) server = path + 2;
  if (server == nullptr) return nullptr;
  const wchar_t* share = server;
  while (*share != L'\0' && !IsSeparator(*share)) ++share;
  const wchar_t* end = share + (*share != L'\0' ? 1 : 0);
  while (*end != L'\0' && !IsSeparator(*end)) ++end;
  if (share == server || end == share + 1 || *share == L'\0') return nullptr;
  Append(b, L"\\\\?\\UNC\\", 8);
  Append(b, server, static_cast<size_t>(share - server));
  Append(b, L"\\", 1);
  Append(b, share + 1, static_cast<size_t>(end - share - 1));
  b.rootEnd = b.length;
  return end;
}

// The current directory, whole, or only its root.
bool AddCurrent(Building& b, const wchar_t* currentDirectory, bool whole) {
  const wchar_t* rest = AddRoot(b, currentDirectory);
  if (rest != nullptr && whole) AddSegments(b, rest);
  return rest != nullptr;
}

}  // namespace

NameStatus ExtendedName(const wchar_t* name, const wchar_t* currentDirectory, const wchar_t* driveDirectory,
                        wchar_t* out, size_t capacity) {
  if (capacity == 0) return NameStatus::TooLong;
  if (StartsWith(name, L"\\\\?\\")) {
    const size_t length = wcslen(name);
    if (length >= capacity) {
      out[0] = L'\0';
      return NameStatus::TooLong;
    }
    wmemcpy(out, name, length + 1);
    return NameStatus::Extended;
  }
  Building b{out, capacity};
  const wchar_t* rest = name;
  const bool device =
      IsSeparator(name[0]) && IsSeparator(name[1]) && (name[2] == L'?' || name[2] == L'.') && IsSeparator(name[3]);
  if (device) {
    const wchar_t prefix[] = {L'\\', L'\\', name[2]};
    Append(b, prefix, 3);
    b.rootEnd = b.length;
    rest = name + 3;
  } else if (IsSeparator(name[0]) && IsSeparator(name[1])) {
    rest = AddRoot(b, name);
  } else if (HasDrive(name) && IsSeparator(name[2])) {
    rest = AddRoot(b, name);
  } else if (HasDrive(name)) {
    // The current directory where it is on the name's drive; else that
    // drive's own, which only the process's environment keeps.
    const auto onDrive = [name](const wchar_t* folder) {
      return folder != nullptr && HasDrive(folder) && (folder[0] | 0x20) == (name[0] | 0x20);
    };
    const wchar_t* folder = onDrive(currentDirectory) ? currentDirectory : driveDirectory;
    rest = !onDrive(folder) ? AddDrive(b, name) : AddCurrent(b, folder, true) ? name + 2 : nullptr;
  } else {
    rest = AddCurrent(b, currentDirectory, !IsSeparator(name[0])) ? name : nullptr;
  }
  if (rest == nullptr || name[0] == L'\0') {  // an empty name names nothing, not the current directory
    out[0] = L'\0';
    return NameStatus::NoFullPath;
  }
  if (AddSegments(b, rest) || b.length == b.rootEnd) Append(b, L"\\", 1);
  Append(b, L"", 1);  // the terminator
  if (!b.fits) out[0] = L'\0';
  return b.fits ? NameStatus::Extended : NameStatus::TooLong;
}
