# 32-bit Windows (sorvel.dll). Doubles are computed in SSE2 registers, never on the x87 unit, so
# every result is rounded exactly as in the 64-bit builds. Hosts may call with a stack aligned to
# 4 bytes only, so the stack is realigned where SSE code needs it.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SORVEL_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
