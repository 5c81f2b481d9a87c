# Cross build for 64-bit Windows with the posix-thread mingw-w64 compilers.
set(PECUN_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
