# Both builds run their tests under Wine in a prefix private to the build tree: the 32-bit build
# (the deliverable) under 32-bit Wine in a win32 prefix, the 64-bit build under 64-bit Wine in a
# win64 prefix. Both trees build the tests; tools/test.sh runs the 32-bit tree only where the
# kernel runs 32-bit code (tools/arch.sh tells). wine-env.sh holds the tree's Wine settings for
# the scripts of tools/ and bench/; wine-run.sh runs one program with them.
set(TOLU_BUILD_TESTS ON)
set(TOLU_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TOLU_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
  set(TOLU_WINEARCH win64)
  set(TOLU_WINE_LOADER /usr/lib/wine/wine64)
else()
  set(TOLU_WINEARCH win32)
  set(TOLU_WINE_LOADER /usr/lib/wine/wine)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/wine-env.sh
"# Wine settings of this build tree, for sh and bash scripts to source.
export WINEPREFIX='${TOLU_WINEPREFIX}' WINEARCH=${TOLU_WINEARCH} WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
WINE=${TOLU_WINE_LOADER}
# The 64-bit server serves 32-bit and 64-bit programs alike.
WINESERVER=/usr/lib/wine/wineserver64
")
file(WRITE ${TOLU_WINE_RUN}
"#!/bin/sh
# Runs a Windows program of this build tree under Wine, in the tree's own prefix.
. '${CMAKE_BINARY_DIR}/wine-env.sh'
exec \"$WINE\" \"$@\"
")
file(CHMOD ${TOLU_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLU_WINE_RUN})

# tolu_add_gtest(<name> SOURCES ... LIBS ... [DEPENDS targets...] [TIMEOUT s]
#                [RESOURCE_LOCK names...] [FIXTURES names...]): one GoogleTest program, its cases
# registered with CTest one by one. Cases that share a RESOURCE_LOCK name (a named mutex, a pipe
# name, a fixed folder) never run at the same time; FIXTURES names CTest fixtures (servers) that
# must be up while the cases run. Tests that open windows get the X display of tools/test.sh.
function(tolu_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;DEPENDS;RESOURCE_LOCK;FIXTURES" ${ARGN})
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
  set(extra)
  list(LENGTH T_RESOURCE_LOCK nlocks)
  if(nlocks GREATER 1)
    # The discovered tests' properties are written out as plain words: a second name would be
    # read as a property of its own and silently drop what follows (fixtures included).
    message(FATAL_ERROR "${name}: give one RESOURCE_LOCK name")
  endif()
  if(T_RESOURCE_LOCK)
    list(JOIN T_RESOURCE_LOCK "\\;" locks)
    set(extra RESOURCE_LOCK "${locks}")
  endif()
  if(T_FIXTURES)
    list(JOIN T_FIXTURES "\\;" fixtures)
    list(APPEND extra FIXTURES_REQUIRED "${fixtures}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${name}" ${extra})
endfunction()
