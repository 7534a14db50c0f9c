# Build conventions shared by every target of the project.
include_guard(GLOBAL)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(HX_ARCH x64)
else()
  set(HX_ARCH x86)
endif()

# Only the 64-bit build runs here (under Wine); the 32-bit build is compiled,
# linked and its exports checked.
if(HX_ARCH STREQUAL "x64")
  set(HX_RUN_TESTS ON)
else()
  set(HX_RUN_TESTS OFF)
endif()

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

# Everything lands in one folder so that programs, DLLs and test programs
# find one another beside themselves.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 _FORTIFY_SOURCE=2)
add_compile_options(-Wall -Wextra -fstack-protector-strong)
# Self-contained binaries: no mingw runtime DLL on the target machine.
add_link_options(-static -static-libgcc -static-libstdc++ -fstack-protector-strong
                 -Wl,--dynamicbase -Wl,--nxcompat)
if(HX_ARCH STREQUAL "x64")
  add_link_options(-Wl,--high-entropy-va)
endif()

set(HX_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
set(HX_OBJDUMP ${HX_TRIPLE}-objdump)

# hx_version_resource(<target> FILE_VERSION 1,10,242,0 VERSION_TEXT "1.10.242"
#                     DESCRIPTION "..." ORIGINAL_NAME "hxupd.exe" [MANIFEST <file>])
# Gives a target its VERSIONINFO resource (and optionally a manifest resource).
function(hx_version_resource target)
  cmake_parse_arguments(V "" "FILE_VERSION;VERSION_TEXT;DESCRIPTION;ORIGINAL_NAME;MANIFEST" "" ${ARGN})
  set(HX_FILE_VERSION ${V_FILE_VERSION})
  set(HX_VERSION_TEXT ${V_VERSION_TEXT})
  set(HX_DESCRIPTION ${V_DESCRIPTION})
  set(HX_ORIGINAL_NAME ${V_ORIGINAL_NAME})
  if(V_MANIFEST)
    get_filename_component(manifest "${V_MANIFEST}" ABSOLUTE)
    set(HX_MANIFEST_LINE "1 24 \"${manifest}\"")
  else()
    set(HX_MANIFEST_LINE "")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${HX_SOURCE_ROOT}/cmake/versioninfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# hx_check_exports(<target> NAME1 NAME2 ...): a test that the DLL exports exactly
# these names. Runs on the build host with objdump, so it is added for both
# architectures.
function(hx_check_exports target)
  add_test(NAME exports_${target}
           COMMAND bash ${HX_SOURCE_ROOT}/scripts/check-exports.sh ${HX_OBJDUMP}
                   $<TARGET_FILE:${target}> ${ARGN})
endfunction()

# hx_add_gtest(<name> SOURCES ... [LIBS ...] [TIMEOUT s]): a GoogleTest program run
# under Wine as one CTest test. Only in the 64-bit build.
function(hx_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT HX_RUN_TESTS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE hx_gtest_main ${T_LIBS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
