# Windows programs run under Wine in one private prefix inside the build
# folder. Include this from every test folder that runs Windows programs;
# tests that need the prefix say FIXTURES_REQUIRED wine and
# ENVIRONMENT "${QUORVANE_WINE_ENVIRONMENT}".
set(QUORVANE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(QUORVANE_WINE_ENVIRONMENT
  WINEPREFIX=${QUORVANE_WINE_PREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8)

# Building the prefix takes a while; as its own test it shows up as such
# instead of inflating the first test that happens to run.
get_property(quorvane_wine_fixture_defined GLOBAL PROPERTY QUORVANE_WINE_FIXTURE)
if(NOT quorvane_wine_fixture_defined)
  set_property(GLOBAL PROPERTY QUORVANE_WINE_FIXTURE ON)
  add_test(NAME wine_prefix COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine/make_prefix.sh ${QUORVANE_WINE_PREFIX})
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
endif()
