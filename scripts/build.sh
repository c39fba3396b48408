#!/usr/bin/env bash
# Configures and builds one or both trees: "windows" (the program and its Wine tests),
# "native" (portable code, sanitizer tests and fuzz targets), or "all".
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
which="${1:-all}"
jobs="$(nproc)"

if [ "$which" = windows ] || [ "$which" = all ]; then
    cmake -S "$root" -B "$root/build/windows" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build/windows" -j "$jobs"
fi
if [ "$which" = native ] || [ "$which" = all ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" -G "Unix Makefiles" \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$root/build/native" -j "$jobs"
fi
