# The Windows build, cross-compiled with MinGW-w64 (cmake/toolchain-*.cmake): quavel.exe on the
# Win32 backends, and the portable test programs, which run under wine64 in the x86_64 build.
# Included from the top CMakeLists.txt instead of the Linux part.

enable_language(RC)
# A bare Windows has no MinGW run-time DLLs: libgcc, libstdc++ and winpthread go inside the exe.
add_link_options(-static -static-libgcc -static-libstdc++ $<$<NOT:$<CONFIG:Debug>>:-s>)
# ANSI calls throughout: the program keeps its bytes and the manifest makes UTF-8 the code page.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)

# The tests run through Wine; Debian's wine64 package keeps its loader off PATH.
find_program(QV_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(QV_WINE64 NAMES wine64)
if(QV_WINE64 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QV_WINE64})
endif()

enable_testing()
# GoogleTest built from Debian's sources with the cross compiler.
set(QV_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${QV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

find_package(Threads REQUIRED)

add_subdirectory(res)
qv_library(qv_platform DIRS platform LINK qv_res)
add_subdirectory(platform/headless)
# The sequencer engine without its FluidSynth output; Windows has its own outputs in win32/.
file(GLOB qv_sequencer_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/sequencer/*.cpp)
list(FILTER qv_sequencer_sources EXCLUDE REGEX "FluidSynthOut\\.cpp$")
add_library(qv_sequencer STATIC ${qv_sequencer_sources})
target_link_libraries(qv_sequencer PUBLIC qv_platform qv_res Threads::Threads)
qv_warnings(qv_sequencer)
add_subdirectory(framework)
qv_library(qv_core
  DIRS app playback playlist settings companion
  LINK qv_framework qv_platform qv_res)
add_subdirectory(platform/win32)
# The sequencer makes its output through win32/ (MakeOutputFromEnvironment): a cycle of two
# static libraries, which CMake repeats on the link line.
target_link_libraries(qv_sequencer PUBLIC qv_win32)

# 32-bit Wine cannot start on this kind of machine, so only the 64-bit build carries the tests.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_subdirectory(tests/windows)
endif()
