# GoogleTest from Debian's sources, built with our toolchain; every test program runs under Wine
# in the build's own headless prefix.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The win32 thread model's library has no std::mutex: GoogleTest's one use of it is replaced
# through its own customisation header (tests/gtest-custom).
target_include_directories(gtest BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/tests/gtest-custom)

# The check build shares its release twin's prefix (see CMakePresets.json).
set(VELMOR_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-headless CACHE PATH "Headless Wine prefix the tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/winerun.sh ${VELMOR_ARCH} ${VELMOR_WINE_PREFIX})

# velmor_test(name SOURCES ... LIBS ...): one GoogleTest program, one ctest entry.
function(velmor_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/TestMain.cpp)
  target_link_libraries(${name} PRIVATE gtest ${T_LIBS})
  # Plain code only (see the check build in the top-level CMakeLists.txt).
  target_compile_options(${name} PRIVATE -fno-lto)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
endfunction()
