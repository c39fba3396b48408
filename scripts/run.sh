#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it windowed under Wine.
# Arguments are passed on to the program (any argument selects the silent mode).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" windows
source "$root/scripts/wine-env.sh"
wine_env_start
echo "DISPLAY=$DISPLAY; close the window to end the program"
wine "$root/build/windows/app/win/QuelanTikora.exe" "$@"
