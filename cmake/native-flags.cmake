# Flags for the host build of the portable code: every test runs under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a sanitizer report fails it.
add_compile_options(-Wall -Wextra -Wpedantic -fsanitize=address,undefined
                    -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
# Fuzz targets need clang's libFuzzer.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(TIKORA_HAVE_LIBFUZZER ON)
endif()
