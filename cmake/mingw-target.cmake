# What both compilers' toolchains share: the target's libraries and headers
# under /usr/<triplet>, and Wine to run what is built.
set(CMAKE_FIND_ROOT_PATH /usr/${ORBELUNE_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
find_program(ORBELUNE_WINE wine)
if(ORBELUNE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORBELUNE_WINE})
endif()
