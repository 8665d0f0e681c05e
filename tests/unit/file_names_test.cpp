// Names in the form Windows takes exactly, worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "extended_name.h"

namespace {

// Each row: a name, the current directory, its extended form ("" when it
// has no full path) and the name's drive's own current directory, if any.
TEST(ExtendedName, ResolvedAndKeptExactly) {
  const struct {
    const wchar_t *name, *current, *extended, *drive = nullptr;
  } rows[] = {
      {LR"(td.txt.)", LR"(C:\dir)", LR"(\\?\C:\dir\td.txt.)"},
      {LR"(a/.\b\\c )", LR"(C:\dir\)", LR"(\\?\C:\dir\a\b\c )"},
      {LR"(.\x\..\..\..\y)", LR"(C:\dir)", LR"(\\?\C:\y)"},
      {LR"(\top. )", LR"(C:\dir\sub)", LR"(\\?\C:\top. )"},
      {LR"(D:rel)", LR"(C:\dir)", LR"(\\?\D:\rel)"},
      {LR"(D:rel)", LR"(C:\dir)", LR"(\\?\d:\work\rel)", LR"(d:\work)"},
      {LR"(D:rel)", LR"(C:\dir)", LR"(\\?\D:\rel)", LR"(E:\work)"},
      {LR"(c:rel)", LR"(C:\dir)", LR"(\\?\C:\dir\rel)", LR"(C:\other)"},
      {LR"(C:\)", LR"(D:\x)", LR"(\\?\C:\)"},
      {LR"(a:\x)", LR"(C:\)", LR"(\\?\a:\x)"},
      {LR"(C:\dir\)", LR"(D:\)", LR"(\\?\C:\dir\)"},
      {LR"(\\server\share\f..)", LR"(C:\)", LR"(\\?\UNC\server\share\f..)"},
      {LR"(//server/share/../x)", LR"(C:\)", LR"(\\?\UNC\server\share\x)"},
      {LR"(\\?\C:\a\..\b)", LR"(C:\)", LR"(\\?\C:\a\..\b)"},
      {LR"(\\.\pipe\p)", LR"(C:\)", LR"(\\.\pipe\p)"},
      {LR"(//?/C:/a/./../b)", LR"(C:\)", LR"(\\?\C:\b)"},
      {LR"(//./pipe//x)", LR"(C:\)", LR"(\\.\pipe\x)"},
      {LR"(\\.\C:\..\..\x)", LR"(C:\)", LR"(\\.\x)"},
      {LR"(x)", LR"(\\?\UNC\srv\sh\d)", LR"(\\?\UNC\srv\sh\d\x)"},
      {LR"(x)", LR"(\\?\Z:\w)", LR"(\\?\Z:\w\x)"},
      {LR"(\x)", LR"(\\srv\sh\d)", LR"(\\?\UNC\srv\sh\x)"},
      {LR"(x\..\y)", LR"(C:\dir)", LR"(\\?\C:\dir\y)"},
      {LR"(\\server)", LR"(C:\)", L""},
      {LR"(\\server\)", LR"(C:\)", L""},
      {LR"(x)", LR"(relative)", L""},
      {L"", LR"(C:\dir)", L""},
  };
  for (const auto& row : rows) {
    wchar_t out[64] = L"untouched";
    EXPECT_EQ(ExtendedName(row.name, row.current, row.drive, out, 64),
              row.extended[0] != L'\0' ? NameStatus::Extended : NameStatus::NoFullPath);
    EXPECT_EQ(std::wstring(out), row.extended) << std::wstring(row.name);
  }
  // The capacity counts the terminator.
  wchar_t out[16] = {};
  const auto extend = [&out](const wchar_t* name, size_t capacity) {
    return ExtendedName(name, LR"(C:\)", nullptr, out, capacity);
  };
  EXPECT_TRUE(extend(L"abc", 11) == NameStatus::Extended && std::wstring(out) == LR"(\\?\C:\abc)");
  EXPECT_TRUE(extend(LR"(C:\)", 8) == NameStatus::Extended && extend(L"abc", 10) == NameStatus::TooLong);
  EXPECT_EQ(extend(L"abc", 0), NameStatus::TooLong);
  EXPECT_EQ(extend(LR"(\\?\C:\abc)", 10), NameStatus::TooLong);
}

}  // namespace
