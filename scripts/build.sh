#!/usr/bin/env bash
# Configures and builds one or both trees: "windows" (the program and its Wine tests),
# "native" (portable code, sanitizer tests and fuzz targets), or "all". Where wine32 cannot start,
# "windows" also builds build/windows64, the same sources for 64-bit Windows, which carries the
# Windows tests there (scripts/wine-vars.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
which="${1:-all}"
jobs="$(nproc)"

source "$root/scripts/wine-vars.sh"

# Optimised for size: nothing in the program is bound by the processor (its timing waits on the
# network and the performance counter), and the file, copied under Program Files at every tick of
# the autostart box, stays under 512 KiB.
build_windows() {
    local tree=$1 toolchain=$2
    shift 2
    cmake -S "$root" -B "$root/build/$tree" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel "$@" >/dev/null
    cmake --build "$root/build/$tree" -j "$jobs"
}

if [ "$which" = windows ] || [ "$which" = all ]; then
    build_windows windows mingw-i686.cmake
    if [ "$TIKORA_WINE_BITS" = 64 ]; then
        build_windows windows64 mingw-x86_64.cmake \
            -DTIKORA_SHIPPED_PROGRAM="$root/build/windows/app/win/QuelanTikora.exe"
    fi
fi
if [ "$which" = native ] || [ "$which" = all ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" -G "Unix Makefiles" \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$root/build/native" -j "$jobs"
fi
