# Cross-build for 64-bit Windows with Debian's mingw-w64 (the posix-thread compilers, so that
# std::thread and thread_local work). Every program is one self-contained .exe: the C++ runtime,
# libgcc and winpthreads are linked in, and the exe imports only DLLs that Windows itself has.
#   cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
# Programs built here run under Wine through tools/wine-run, with a prefix inside the build
# folder: ctest and gtest_discover_tests go through it as the cross-compiling emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Headers and libraries from the mingw-w64 sysroot only, never the host's; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${static_runtime}")

cmake_path(SET wine_run NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run")
set(CMAKE_CROSSCOMPILING_EMULATOR "${wine_run};${CMAKE_BINARY_DIR}/wine")
