# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix-threads compiler, so that
# std::thread and std::mutex work). libgcc, libstdc++ and winpthread are linked statically: each .exe
# then runs alone, on Windows and under Wine, without DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVELA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVELA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVELA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVELA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVELA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows 10 APIs (SetConsoleMode's virtual-terminal flag, SystemTimeToTzSpecificLocalTimeEx).
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -DUNICODE -D_UNICODE")

# Test programs run under Wine when CTest runs them from this build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
