#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the portable code natively
# under the sanitizers (with bounded fuzzing), then the Windows code under Wine and Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" all

status=0
echo "== native tests"
ctest --test-dir "$root/build/native" --output-on-failure -j "$(nproc)" || status=1

source "$root/scripts/wine-env.sh"
windows_tree="$root/build/windows"
if [ "$TIKORA_WINE_BITS" = 64 ]; then
    # The 64-bit tree checks the shipped 32-bit program file (program_file_check).
    echo "== Windows tests under Wine: this machine cannot execute 32-bit code, so they run the"
    echo "   64-bit build of the same sources under wine64"
    windows_tree="$root/build/windows64"
else
    echo "== Windows tests under Wine"
fi
wine_env_start
ctest --test-dir "$windows_tree" --output-on-failure -j "$(nproc)" </dev/null || status=1
exit $status
