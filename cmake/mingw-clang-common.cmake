# clang finds MinGW's C headers and startup files through the <triplet>-gcc
# on PATH, but not GCC's own folder: Debian names it after the thread model
# (/usr/lib/gcc/<triplet>/12-posix), which clang does not take for a version.
# Without it clang would read the host's C++ headers and link MinGW's stub
# crtbegin.o, with which no exception is ever caught. So GCC's folder, as the
# POSIX compiler reports it, is named here: its C++ headers, its libraries
# (libstdc++, libgcc) and, through -B, its crtbegin.o and crtend.o.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${ORBELUNE_TRIPLET})
set(CMAKE_CXX_COMPILER_TARGET ${ORBELUNE_TRIPLET})
# Resources: MinGW's windres, which preprocesses with <triplet>-gcc, as in
# the g++ build.
set(CMAKE_RC_COMPILER ${ORBELUNE_TRIPLET}-windres)
execute_process(COMMAND ${ORBELUNE_TRIPLET}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(ORBELUNE_GCC_DIR "${libgcc}" DIRECTORY)
set(cxx_headers ${ORBELUNE_GCC_DIR}/include/c++)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${cxx_headers} -isystem ${cxx_headers}/${ORBELUNE_TRIPLET} -isystem ${cxx_headers}/backward")
# The targets' -static links libstdc++, libgcc and winpthreads in, as with
# g++: the program imports system DLLs only. The linker is LLVM's: GNU ld
# warns of every type name that GCC's libstdc++ pads and clang does not.
# winpthreads comes last, after libgcc_eh, which needs it (-pthread). The
# compile flags above reach the link too, where -nostdinc++ has nothing to do.
# Build optimised (Release, as build.sh does): unoptimised, clang emits
# libstdc++'s inline std::type_info::operator== out of line, and lld finds
# it twice beside libstdc++'s own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -B${ORBELUNE_GCC_DIR} -L${ORBELUNE_GCC_DIR} -pthread -Wno-unused-command-line-argument")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-target.cmake)
