# The 64-bit build runs its tests under 64-bit Wine in a prefix private to the build tree; the
# 32-bit build (the deliverable) is only compiled and linked, since this kernel runs no 32-bit code.
set(TOLU_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TOLU_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
  set(TOLU_BUILD_TESTS ON)
  file(WRITE ${TOLU_WINE_RUN}
"#!/bin/sh
# Runs a Windows program of this build tree under Wine, in the tree's own prefix.
export WINEPREFIX='${TOLU_WINEPREFIX}' WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
exec /usr/lib/wine/wine64 \"$@\"
")
  file(CHMOD ${TOLU_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLU_WINE_RUN})
else()
  set(TOLU_BUILD_TESTS OFF)
endif()

# tolu_add_gtest(<name> SOURCES ... LIBS ... [WINDOWS]): one GoogleTest program, its cases
# registered with CTest one by one. WINDOWS marks programs that open windows (they need the X
# display that tools/test.sh provides).
function(tolu_add_gtest name)
  cmake_parse_arguments(T "WINDOWS" "TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${name}")
endfunction()
