// Names in the form Windows takes exactly, worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "extended_name.h"

namespace {

// Each row: a name, the current directory, and its extended form ("" when
// it has none).
TEST(ExtendedName, ResolvedAndKeptExactly) {
  const struct {
    const wchar_t *name, *current, *extended;
  } rows[] = {
      {LR"(td.txt.)", LR"(C:\dir)", LR"(\\?\C:\dir\td.txt.)"},
      {LR"(a/.\b\\c )", LR"(C:\dir\)", LR"(\\?\C:\dir\a\b\c )"},
      {LR"(.\x\..\..\..\y)", LR"(C:\dir)", LR"(\\?\C:\y)"},
      {LR"(\top. )", LR"(C:\dir\sub)", LR"(\\?\C:\top. )"},
      {LR"(D:rel)", LR"(C:\dir)", LR"(\\?\D:\rel)"},
      {LR"(c:rel)", LR"(C:\dir)", LR"(\\?\C:\dir\rel)"},
      {LR"(C:\)", LR"(D:\x)", LR"(\\?\C:\)"},
      {LR"(a:\x)", LR"(C:\)", LR"(\\?\a:\x)"},
      {LR"(C:\dir\)", LR"(D:\)", LR"(\\?\C:\dir\)"},
      {LR"(\\server\share\f..)", LR"(C:\)", LR"(\\?\UNC\server\share\f..)"},
      {LR"(//server/share/../x)", LR"(C:\)", LR"(\\?\UNC\server\share\x)"},
      {LR"(\\?\C:\a\..\b)", LR"(C:\)", LR"(\\?\C:\a\..\b)"},
      {LR"(\\.\pipe\p)", LR"(C:\)", LR"(\\.\pipe\p)"},
      {LR"(x)", LR"(\\?\UNC\srv\sh\d)", LR"(\\?\UNC\srv\sh\d\x)"},
      {LR"(x)", LR"(\\?\Z:\w)", LR"(\\?\Z:\w\x)"},
      {LR"(\x)", LR"(\\srv\sh\d)", LR"(\\?\UNC\srv\sh\x)"},
      {LR"(x\..\y)", LR"(C:\dir)", LR"(\\?\C:\dir\y)"},
      {LR"(\\server)", LR"(C:\)", L""},
      {LR"(\\server\)", LR"(C:\)", L""},
      {LR"(x)", LR"(relative)", L""},
  };
  for (const auto& row : rows) {
    wchar_t out[64] = L"untouched";
    EXPECT_EQ(ExtendedName(row.name, row.current, out, 64), row.extended[0] != L'\0');
    EXPECT_EQ(std::wstring(out), row.extended) << std::wstring(row.name);
  }
  // The capacity counts the terminator.
  wchar_t out[16] = {};
  EXPECT_TRUE(ExtendedName(L"abc", LR"(C:\)", out, 11) && std::wstring(out) == LR"(\\?\C:\abc)");
  EXPECT_TRUE(ExtendedName(LR"(C:\)", L"", out, 8) && !ExtendedName(L"abc", LR"(C:\)", out, 10));
  EXPECT_FALSE(ExtendedName(L"abc", LR"(C:\)", out, 0));
  EXPECT_FALSE(ExtendedName(LR"(\\?\C:\abc)", LR"(C:\)", out, 10));
}

}  // namespace
