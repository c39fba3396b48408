# Flags for the 32-bit Windows build.
# -march=i686 keeps std::atomic<double> lock-free (cmpxchg8b); -static leaves
# Windows' own DLLs as the only imports.
add_compile_options(-march=i686 -Wall -Wextra -Wpedantic -municode
                    -ffunction-sections -fdata-sections)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static -municode -Wl,--gc-sections)
