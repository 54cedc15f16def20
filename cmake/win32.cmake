# 32-bit Windows build with Debian's MinGW-w64 (i686, POSIX threading model, which gives the
# standard library's threads and mutexes). Programs and the plugin link the GCC runtime statically,
# so the DLL and the executables need nothing beside them. libyaml is compiled for the target from
# Debian's source package (MOX_LIBYAML_SOURCE_DIR, unpacked by scripts/setup.sh --win32); the
# header-only libraries (RapidJSON, CLI11) are taken from the build machine's include tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(MOX_LIBYAML_SOURCE_DIR "/usr/local/src/mox-win32/libyaml" CACHE PATH "libyaml sources for the target")
