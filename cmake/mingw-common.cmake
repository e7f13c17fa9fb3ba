# Shared by the two Windows toolchains: Debian's mingw-w64 compilers with POSIX threads, and
# libraries only from the target's own folders (Debian's /usr/<triplet> and our cross-built prefix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${SORVEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SORVEL_MINGW_TRIPLET}-windres)

set(SORVEL_WINDOWS_PREFIX "" CACHE PATH "Where cross-built libraries for this target are installed")
set(CMAKE_FIND_ROOT_PATH /usr/${SORVEL_MINGW_TRIPLET} ${SORVEL_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and the thread library go into the module: it imports system DLLs only.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
