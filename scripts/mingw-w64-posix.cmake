# CMake toolchain for 64-bit Windows with Debian's MinGW-w64, posix thread
# model: the plain x86_64-w64-mingw32-g++ is the win32 model, which has no
# std::thread or std::mutex.
#   cmake -DCMAKE_TOOLCHAIN_FILE=scripts/mingw-w64-posix.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVANDRIX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVANDRIX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVANDRIX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVANDRIX_MINGW}-windres)
set(CMAKE_AR ${KELVANDRIX_MINGW}-gcc-ar-posix)
set(CMAKE_RANLIB ${KELVANDRIX_MINGW}-gcc-ranlib-posix)

# Headers and libraries from the MinGW tree (Debian's MinGW zlib among them)
# and the prefixes given in CMAKE_FIND_ROOT_PATH, never the host's; programs
# run at build time are the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KELVANDRIX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthread) linked in, so
# that a program or DLL needs no MinGW DLL beside it; a DLL without symbols
# (the programs are stripped by the project's own build).
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -s")
