# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads:
# the win32-thread compiler has no std::mutex in GCC 12). Programs are linked
# statically so that each .exe needs only Windows' own DLLs; ctest runs them
# under Wine through scripts/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORNA3D_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VORNA3D_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORNA3D_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORNA3D_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORNA3D_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libz.a rather than the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

get_filename_component(VORNA3D_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORNA3D_SOURCE_ROOT}/scripts/wine-run.sh)
