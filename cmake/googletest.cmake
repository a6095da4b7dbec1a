# GoogleTest for the Windows build, compiled inside the build from Debian's sources (package
# googletest, /usr/src/googletest): Debian's libgtest-dev is for Linux only. Its own targets
# bring the same names as find_package(GTest) — GTest::gtest, GTest::gtest_main, GTest::gmock,
# GTest::gmock_main — so the tests' CMakeLists are the same on both systems.
set(VESKAR_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources")

set(BUILD_GMOCK ON)
set(INSTALL_GTEST OFF)
# It looks for Python for its own tests, which are not built here.
set(CMAKE_DISABLE_FIND_PACKAGE_Python ON)
add_subdirectory(${VESKAR_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest
  EXCLUDE_FROM_ALL SYSTEM)
unset(CMAKE_DISABLE_FIND_PACKAGE_Python)
foreach(target gtest gtest_main gmock gmock_main)
  # Third-party code: its warnings are not ours to fix.
  target_compile_options(${target} PRIVATE -w)
endforeach()

# The tests are listed when ctest starts, through the emulator (Wine), not after each link:
# the build then needs no Wine, and ctest finds Wine's session started (tools/test-windows).
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
