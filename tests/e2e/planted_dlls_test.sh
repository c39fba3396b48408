#!/usr/bin/env bash
# End-to-end test against DLL planting. The program runs as administrator from wherever it was
# saved, and Windows looks for a DLL that is not one of its KnownDLLs in the program's folder
# first. Here the real program is copied into a folder of its own beside look-alikes of every DLL
# it loads that Windows does not always take from its system folder, and Wine is told to prefer
# DLLs found there, as Windows would. No look-alike may be loaded, and the program must work:
#
#   planted_dlls_test.sh MODE PROGRAM PROBE BARE_PROGRAM PLANTED_LIBRARY
#
# MODE: "windowed" (the form shows the network time from a local source, then closes) or
# "silent" (the argument 1: the clock is corrected and the program ends). PLANTED_LIBRARY leaves
# a marker file beside itself when it is loaded. Every DLL the process loads must be accounted
# for below, so that a new one cannot slip in unplanted.
# Exits 77 (skipped) where private network and mount namespaces cannot be made.
set -euo pipefail

# Loaded by the program itself, or by those, after start-up: the common controls, GDI+, the
# rich-edit libraries, WinHTTP and what they pull in. Each gets a look-alike beside the program.
readonly kPlanted=(comctl32 gdiplus msftedit riched20 riched32 uxtheme usp10 winhttp jsproxy)
# Windows' KnownDLLs, always taken from the system folder (the program imports only these),
# and the system DLLs that come with them.
readonly kKnown=(advapi32 clbcatq combase comdlg32 coml2 gdi32 imagehlp imm32 kernel32
    kernelbase msctf msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore
    shell32 shlwapi user32 win32u wldap32 ws2_32)
# Wine's own: its display driver and C runtime, version and zlib1, which its builtins load while
# the process starts, before the program's first instruction, and msimg32, a delayed import of
# its builtin uxtheme that Wine resolves without the program's DLL search settings. None of
# these is loaded this way on Windows; the program cannot keep them out under Wine.
readonly kWineOwn=(ucrtbase version winex11.drv zlib1 msimg32)
# What WinHTTP pulls in for TLS, names and addresses. Windows takes a DLL's dependencies from
# where the DLL was searched for, the system folder; Wine's own builtins load look-alikes of
# these from the program's folder whatever the program asks, so they are not planted.
readonly kWinHttpOwn=(crypt32 secur32 bcrypt iphlpapi dnsapi)

# Only the program's own run is traced: every DLL it loads, and the clock changes it asks for.
readonly kTraced="-all,+pid,+loaddll,err+sync"
readonly kFormWaitMs=30000
readonly kExitLimitMs=5000
readonly kProgramLimitS=60
readonly kNetworkPrefix="标准的网络时间："

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=isolated_network.sh
source "$here/isolated_network.sh"

# The base names (lower case) of the DLLs a run loaded, from Wine's loaddll trace.
# Only the program's own process counts: Wine's desktop process (explorer.exe), which the
# program's first window may start, inherits the trace. Each line starts with the process id.
loaded_dlls() {
    local pid
    pid=$(sed -n 's/^\([0-9a-f]*\):.*trace:loaddll:.*Loaded L".*\\quelantikora\.exe".*/\1/Ip' "$1" |
        head -n 1)
    grep "^$pid:" "$1" | sed -n 's/.*trace:loaddll:.*Loaded L"\([^"]*\)".*/\1/p' |
        sed 's/.*\\//' | tr 'A-Z' 'a-z' | sed 's/\.dll$//' | sort -u
}

in_list() {
    local name=$1
    shift
    local item
    for item in "$@"; do
        [ "$item" = "$name" ] && return 0
    done
    return 1
}

# The form appears and shows the network time; then it is closed and the program ends.
run_windowed() {
    local program=$1 network="" status=0
    WINEDLLOVERRIDES="$overrides" WINEDEBUG="$kTraced" wine "$program" >"$work/stdout" \
        2>"$work/stderr" &
    program_pid=$!
    if ! wine "$probe" wait "$kFormWaitMs"; then
        fail "the main form did not appear"
        return 0
    fi
    for _ in $(seq 100); do
        network=$(wine "$probe" state 2>/dev/null | tr -d '\r' | sed -n 's/^network=//p')
        [[ "$network" == "$kNetworkPrefix"[0-9]* ]] && break
        sleep 0.1
    done
    echo "network read-out: $network"
    [[ "$network" == "$kNetworkPrefix"[0-9]* ]] || fail "no network time shown: '$network'"
    wine "$probe" close "$kExitLimitMs" >/dev/null || fail "the program did not end when closed"
    wait "$program_pid" || status=$?
    program_pid=""
    [ "$status" = 0 ] || fail "exit status $status, expected 0"
}

# The clock is corrected; Wine refuses and logs the change, and the program ends with 1, the
# status of a refused change.
run_silent() {
    local program=$1 status=0
    WINEDLLOVERRIDES="$overrides" WINEDEBUG="$kTraced" timeout "$kProgramLimitS" \
        wine "$program" 1 >"$work/stdout" 2>"$work/stderr" || status=$?
    [ "$status" = 1 ] || fail "exit status $status, expected 1"
    [ -n "$(refused_clock_changes_ms "$work/stderr")" ] || fail "no clock change was asked"
}

stop_inside() {
    set +e
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    stop_wineserver
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    return 0
}

inside() {
    local mode=$1 program=$2 bare=$4 planted=$5
    probe=$3 work=$6
    isolate_network_and_zone "$work"
    use_overlay_prefix "$work"
    server_pid="" program_pid="" xvfb_pid=""
    trap stop_inside EXIT
    : >"$work/failures"
    if [ "$mode" = windowed ]; then
        start_display || return 0
    fi
    wine "$bare" >/dev/null 2>&1 || true

    python3 "$here/silent_date_server.py" --port 80 --log "$work/server.log" \
        --ready "$work/ready" >"$work/server.out" 2>&1 &
    server_pid=$!
    poll_until 100 test -e "$work/ready" || { fail "the date server did not start"; return 0; }

    # A downloads folder with the program and a look-alike for each DLL in kPlanted.
    local folder="$work/Downloads" name
    mkdir -p "$folder"
    cp "$program" "$folder/QuelanTikora.exe"
    for name in "${kPlanted[@]}"; do
        cp "$planted" "$folder/$name.dll"
    done
    overrides="$(
        IFS=,
        echo "${kPlanted[*]}"
    )=n,b;mscoree,mshtml="
    "run_$mode" "$folder/QuelanTikora.exe"

    local markers
    markers=$(cd "$folder" && ls -- *.loaded 2>/dev/null || true)
    [ -z "$markers" ] || fail "planted DLLs were loaded: $(echo "$markers" | tr '\n' ' ')"
    local loaded unaccounted=()
    loaded=$(loaded_dlls "$work/stderr")
    echo "loaded: $(echo "$loaded" | tr '\n' ' ')"
    [ -n "$loaded" ] || fail "the program's DLL loads were not traced"
    for name in $loaded; do
        [ "$name" = quelantikora.exe ] && continue
        in_list "$name" "${kPlanted[@]}" "${kKnown[@]}" "${kWineOwn[@]}" "${kWinHttpOwn[@]}" ||
            unaccounted+=("$name")
    done
    [ "${#unaccounted[@]}" -eq 0 ] ||
        fail "loaded DLLs this test does not account for: ${unaccounted[*]}"
}

run_inside_when_rerun "$@"

mode=${1:?mode}
case "$mode" in windowed | silent) ;; *) echo "unknown mode $mode" >&2; exit 2 ;; esac
skip_unless_namespaces_available

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-planted.XXXXXX")"
trap 'rm -rf "$work"' EXIT
write_hosts_file "$work/hosts"

if ! run_scenario "$mode" "$2" "$3" "$4" "$5" "$work"; then
    echo "--- program's standard error (without the load trace):"
    grep -v 'trace:loaddll' "$work/stderr" 2>/dev/null || true
    exit 1
fi
echo "PASS"
