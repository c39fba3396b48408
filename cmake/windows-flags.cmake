# Flags for the Windows builds.
# -march=i686 keeps std::atomic<double> lock-free (cmpxchg8b) in the 32-bit build; -static leaves
# Windows' own DLLs as the only imports.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    add_compile_options(-march=i686)
    set(TIKORA_MANIFEST_ARCHITECTURE x86)
else()
    set(TIKORA_MANIFEST_ARCHITECTURE amd64)
endif()
add_compile_options(-Wall -Wextra -Wpedantic -municode -ffunction-sections -fdata-sections)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static -municode -Wl,--gc-sections)
