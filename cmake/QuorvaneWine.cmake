# Windows programs run under Wine in one private prefix inside the build
# folder; a 32-bit build's prefix is a WoW64 one (scripts/wine/wow64.sh).
# Include this from every test folder that runs Windows programs; tests that
# need the prefix say FIXTURES_REQUIRED wine and
# ENVIRONMENT "${QUORVANE_WINE_ENVIRONMENT}", and carry the label wine, which
# scripts/test.sh leaves out where 32-bit programs cannot run.
set(QUORVANE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(QUORVANE_WINE_ENVIRONMENT
  WINEPREFIX=${QUORVANE_WINE_PREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QUORVANE_WINE_ARCH x86)
else()
  set(QUORVANE_WINE_ARCH x64)
endif()

# Building the prefix takes a while (and the WoW64 root a minute and a half
# more, the first time); as its own test it shows up as such instead of
# inflating the first test that happens to run.
get_property(quorvane_wine_fixture_defined GLOBAL PROPERTY QUORVANE_WINE_FIXTURE)
if(NOT quorvane_wine_fixture_defined)
  set_property(GLOBAL PROPERTY QUORVANE_WINE_FIXTURE ON)
  add_test(NAME wine_prefix
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine/make_prefix.sh ${QUORVANE_WINE_PREFIX} ${QUORVANE_WINE_ARCH})
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 600 LABELS wine)
endif()
