# Sourced by the run and test scripts: a ready Wine prefix, a display, and cleanup at exit.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/wine-vars.sh"

TIKORA_XVFB_PID=""

wine_env_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$TIKORA_XVFB_PID" ]; then
        kill "$TIKORA_XVFB_PID" >/dev/null 2>&1 || true
        wait "$TIKORA_XVFB_PID" 2>/dev/null || true
    fi
}

# An X display: the user's own, or a private Xvfb when there is none. The numbers start high:
# the end-to-end tests start Xvfbs of their own in private network namespaces, where they cannot
# see ours and take the lowest free numbers.
wine_env_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    local number
    for number in $(seq 90 120); do
        [ -e "/tmp/.X${number}-lock" ] && continue
        Xvfb ":${number}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        TIKORA_XVFB_PID=$!
        for _ in $(seq 50); do
            if [ -e "/tmp/.X11-unix/X${number}" ]; then
                export DISPLAY=":${number}"
                return
            fi
            kill -0 "$TIKORA_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        # Not up in time: do not leave it running behind the next try.
        kill "$TIKORA_XVFB_PID" >/dev/null 2>&1 || true
        TIKORA_XVFB_PID=""
    done
    echo "no X display could be started" >&2
    return 1
}

# The prefix with a CJK font standing in for the form's face name, at 96 DPI.
#
# The end-to-end tests mount overlays over the prefix's folder and start wineservers of their own
# on it, which read the registry from its files. A wineserver keeps the registry in memory and
# writes it out only every half minute or when it ends, so a prefix made a moment ago has no
# registry files yet: an overlay then starts without one (no crypto providers are registered, and
# every RSA root fails its signature check). So the set-up runs without a persistent server and
# waits for it to end, which writes the registry out; then a server and the prefix's services are
# started for the tests that run in the prefix itself.
wine_env_prefix() {
    mkdir -p "$WINEPREFIX"
    wine wineboot </dev/null >/dev/null 2>&1
    local replacements='HKCU\Software\Wine\Fonts\Replacements'
    wine reg add "$replacements" /v "Microsoft YaHei" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    wine reg add "$replacements" /v "微软雅黑" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
    # The title bar's font has no Chinese glyphs of its own: link it to the CJK font.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    # A private Xvfb has no window manager: Wine then draws title bars and borders itself, and
    # keeps its windows to itself. A window left to a manager that is not there costs a 2 s
    # wait each time it is destroyed (a message box, a captioned form).
    local managed=Y
    [ -n "$TIKORA_XVFB_PID" ] && managed=N
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d "$managed" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
    wineserver -w
    if [ ! -s "$WINEPREFIX/system.reg" ]; then
        echo "the Wine prefix $WINEPREFIX has no registry file after its set-up" >&2
        return 1
    fi
    # Services already running keep CTest from waiting on Wine's helpers (they inherit stderr).
    wineserver -p >/dev/null 2>&1 || true
    wine wineboot </dev/null >/dev/null 2>&1
}

wine_env_start() {
    trap wine_env_stop EXIT
    wine_env_display
    wine_env_prefix
}
