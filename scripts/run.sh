#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it windowed under Wine.
# Arguments are passed on to the program (any argument selects the silent mode).
# Without an X display the window opens on a private Xvfb; a screenshot of it is then saved
# to build/screenshot.png a few seconds after the start.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" windows
source "$root/scripts/wine-env.sh"
wine_env_start

if [ -n "$TIKORA_XVFB_PID" ] && [ $# -eq 0 ]; then
    screenshot="$root/build/screenshot.png"
    (sleep 6 && import -window root "$screenshot" 2>/dev/null &&
        echo "screenshot of the window: $screenshot") &
    echo "no display: the window opens on a private Xvfb ($DISPLAY); stop with Ctrl+C"
else
    echo "close the window to end the program"
fi
program="$root/build/windows/app/win/QuelanTikora.exe"
if [ "$TIKORA_WINE_BITS" = 64 ]; then
    # wine32 cannot start on this machine: the same sources built for 64-bit Windows stand in.
    echo "this machine cannot execute 32-bit code: starting the 64-bit build under wine64"
    program="$root/build/windows64/app/win/QuelanTikora.exe"
fi
wine "$program" "$@"
