# Cross-compiling for 32-bit Windows with Debian's clang against MinGW-w64's
# headers and libraries (the same runtime as the g++ build: libstdc++ of the
# POSIX thread model, winpthreads, msvcrt, DWARF exceptions).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORBELUNE_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-clang-common.cmake)
