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

echo "== Windows tests under Wine"
source "$root/scripts/wine-env.sh"
wine_env_start
ctest --test-dir "$root/build/windows" --output-on-failure -j "$(nproc)" </dev/null || status=1
exit $status
