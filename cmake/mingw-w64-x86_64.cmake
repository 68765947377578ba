# Cross-build for 64-bit Windows with Debian's MinGW-w64 (the -posix thread
# model, so that std::thread and friends work) and fully static linking, so
# the executable imports system DLLs only.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DCMAKE_FIND_ROOT_PATH=<prefix of the static expat, zlib and libpng> ...
#
# Programs built for the target run under Wine when it is installed (ctest
# and test discovery use it as the emulator).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELLUO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELLUO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELLUO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELLUO_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot and from the folders given
# in CMAKE_FIND_ROOT_PATH on the command line; programs from the build host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZELLUO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Only static libraries: no libgcc, libstdc++ or winpthread DLL beside the exe.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(ZELLUO_WINE wine)
if(ZELLUO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELLUO_WINE})
endif()
