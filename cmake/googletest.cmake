# GoogleTest from Debian's source package, built with the project's own compiler
# (host clang natively, MinGW for the Wine tests).
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Windows test executables are listed when CTest starts, not at build time: listing them
# needs Wine with a ready prefix, which only the test run sets up.
if(WIN32)
    set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
