# Tests that run Windows programs under Wine, for the Windows builds.
#
# Every such test:
#  - runs with one Wine prefix per build folder, made ready once before the first of them
#    (fixture `wine_prefix`), and the Wine server is stopped after the last of them, so that
#    ctest never waits on a server or a Wine service that keeps its output pipe open;
#  - in the x86 build, first reads what the x86 probe found: a tiny 32-bit program of its own,
#    run once under wine64. Where this machine runs no 32-bit code the test counts as skipped
#    (return code 77); where it does, the test runs and must pass.
#
# radiantix_add_wine_test(NAME <name> COMMAND <target or program> [args...] [TIMEOUT <s>]
#                         [FIXTURES <fixtures the test also needs>...])
# A target as the command runs under wine64, which runs 32-bit programs too (WoW64 mode).

find_program(RADIANTIX_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(RADIANTIX_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NOT RADIANTIX_WINE64)
  set(RADIANTIX_WINE64 wine64)
endif()
if(NOT RADIANTIX_WINESERVER)
  set(RADIANTIX_WINESERVER wineserver)
endif()
set(RADIANTIX_WINEPREFIX "${PROJECT_BINARY_DIR}/wineprefix" CACHE PATH
    "The Wine prefix the tests of this build run in")
set(RADIANTIX_NATIVE_BUILD "${PROJECT_SOURCE_DIR}/build/native" CACHE PATH
    "The native build folder whose output the Windows builds are compared with")
set(RADIANTIX_WINE_ENVIRONMENT
    "WINEPREFIX=${RADIANTIX_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
    "RADIANTIX_NATIVE_BUILD=${RADIANTIX_NATIVE_BUILD}")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(RADIANTIX_WINE_X86 ON)
else()
  set(RADIANTIX_WINE_X86 OFF)
endif()
set(RADIANTIX_X86_PROBE_RESULT "${PROJECT_BINARY_DIR}/x86_probe_result.txt")

function(radiantix_add_wine_fixtures)
  set(tests_dir ${PROJECT_SOURCE_DIR}/tests/wine)
  add_test(NAME wine_prefix_ready
           COMMAND bash ${PROJECT_SOURCE_DIR}/tools/wine_prefix.sh ready
                   ${RADIANTIX_WINE64} ${RADIANTIX_WINESERVER})
  set_tests_properties(wine_prefix_ready PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300
                       ENVIRONMENT "${RADIANTIX_WINE_ENVIRONMENT}")
  add_test(NAME wine_server_stopped
           COMMAND bash ${PROJECT_SOURCE_DIR}/tools/wine_prefix.sh stop
                   ${RADIANTIX_WINE64} ${RADIANTIX_WINESERVER})
  set_tests_properties(wine_server_stopped PROPERTIES FIXTURES_CLEANUP wine_prefix TIMEOUT 60
                       ENVIRONMENT "${RADIANTIX_WINE_ENVIRONMENT}")
  if(RADIANTIX_WINE_X86)
    # Shares no code with the project, so a broken x86 build can never pass for a machine
    # that runs no 32-bit code.
    add_executable(x86_probe ${tests_dir}/x86_probe.c)
    add_test(NAME x86_probe
             COMMAND bash ${tests_dir}/x86_probe.sh ${RADIANTIX_WINE64} $<TARGET_FILE:x86_probe>
                     ${RADIANTIX_X86_PROBE_RESULT})
    set_tests_properties(x86_probe PROPERTIES FIXTURES_SETUP x86_probe
                         FIXTURES_REQUIRED wine_prefix TIMEOUT 180
                         ENVIRONMENT "${RADIANTIX_WINE_ENVIRONMENT}")
  endif()
endfunction()

function(radiantix_add_wine_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT" "COMMAND;FIXTURES")
  list(POP_FRONT arg_COMMAND program)
  if(TARGET ${program})
    set(command ${RADIANTIX_WINE64} $<TARGET_FILE:${program}> ${arg_COMMAND})
  else()
    set(command ${program} ${arg_COMMAND})
  endif()
  set(fixtures wine_prefix ${arg_FIXTURES})
  if(RADIANTIX_WINE_X86)
    set(command bash ${PROJECT_SOURCE_DIR}/tests/wine/x86_gate.sh ${RADIANTIX_X86_PROBE_RESULT}
                ${command})
    list(APPEND fixtures x86_probe)
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 600)
  endif()
  add_test(NAME ${arg_NAME} COMMAND ${command})
  set_tests_properties(${arg_NAME} PROPERTIES FIXTURES_REQUIRED "${fixtures}"
                       SKIP_RETURN_CODE 77 TIMEOUT ${arg_TIMEOUT}
                       ENVIRONMENT "${RADIANTIX_WINE_ENVIRONMENT}")
endfunction()
