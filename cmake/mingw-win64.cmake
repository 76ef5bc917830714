# Cross-compiling for 64-bit Windows: the build that tests the program where 32-bit code
# cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
