# Sourced by the end-to-end scripts and the benchmarks: private network and mount namespaces in
# which the program's three built-in time sources lead to 127.0.0.1, the zone is UTC+1 (or one the
# caller names) and Wine runs in a throwaway overlay of the project's prefix, with a wineserver of
# its own.
# shellcheck shell=bash

readonly kSkipped=77
readonly kDayMs=86400000

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Distance of a millisecond count from target, counted modulo one day.
day_distance_ms() {
    local value=$1 target=$2 difference
    difference=$(((((value - target) % kDayMs) + kDayMs) % kDayMs))
    if ((difference > kDayMs / 2)); then
        difference=$((kDayMs - difference))
    fi
    echo "$difference"
}

# Runs the test "$@" every 0.1 s until it holds, at most polls times; fails if it never does.
poll_until() {
    local polls=$1
    shift
    for _ in $(seq "$polls"); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The clock changes Wine refused to make (it never moves the host's clock, it logs them), in ms,
# one a line, as found in a program's standard error.
refused_clock_changes_ms() {
    sed -n 's/.*NtSetSystemTime not allowed: difference \(-\?[0-9]*\) ms.*/\1/p' "$1"
}

# ---------------------------------------------------------------- outside the namespaces

skip_unless_namespaces_available() {
    if [ "$(id -u)" != 0 ] || ! unshare --net --mount true 2>/dev/null; then
        echo "private network and mount namespaces are not available here"
        exit "$kSkipped"
    fi
}

# Reads the built-in sources, as the program has them, into the global array sources and writes
# a hosts file that leads all three hosts to the local server.
write_hosts_file() {
    local file=$1 source host
    mapfile -t sources < <(grep -o '"https\?://[^"]*"' "$root/core/time_sources.h" | tr -d '"')
    if [ "${#sources[@]}" -ne 3 ]; then
        echo "expected three sources, found ${#sources[@]}"
        exit 1
    fi
    {
        echo "127.0.0.1 localhost"
        for source in "${sources[@]}"; do
            host=${source#*://}
            echo "127.0.0.1 ${host%%/*}"
        done
    } >"$file"
}

# Runs the calling script again, with --inside and the arguments given, in new network and mount
# namespaces.
rerun_inside_namespaces() {
    unshare --net --mount bash "$0" --inside "$@"
}

# Runs the scenario in new namespaces (rerun_inside_namespaces with the arguments given, the
# last being $work) and shows what it said. Returns whether it passed, its fail calls having
# left $work/failures empty; ends the script when the namespaces could not be set up.
run_scenario() {
    local status=0
    rerun_inside_namespaces "$@" >"$work/inside.log" 2>&1 || status=$?
    cat "$work/inside.log"
    if [ "$status" != 0 ] || [ ! -e "$work/failures" ]; then
        echo "namespace setup failed (status $status)"
        exit 1
    fi
    [ ! -s "$work/failures" ]
}

# In the script run again by rerun_inside_namespaces: calls the script's inside() with the
# arguments that follow --inside and exits. Elsewhere it does nothing.
run_inside_when_rerun() {
    if [ "${1:-}" = --inside ]; then
        shift
        inside "$@"
        exit 0
    fi
}

# ---------------------------------------------------------------- inside the namespaces

# The loopback device up, the hosts file from write_hosts_file over /etc/hosts, the zone (a name
# under /usr/share/zoneinfo, UTC+1 unless given) over /etc/localtime and no display. work is the
# folder that holds the hosts file.
isolate_network_and_zone() {
    local work=$1 zone=${2:-Etc/GMT-1}
    ip link set lo up
    mount --bind "$work/hosts" /etc/hosts
    # Leave TZ unset: the C runtime reads TZ in Windows' format and takes a Unix zone name as UTC.
    mount --bind "/usr/share/zoneinfo/$zone" /etc/localtime
    unset TZ DISPLAY
}

# Sockets belong to the wineserver, so it must start in this network namespace: an overlay over
# the project's prefix, mounted in work, is a prefix of its own (a new wineserver) that costs no
# copy and leaves the project's prefix as it was.
use_overlay_prefix() {
    local work=$1
    # shellcheck source-path=SCRIPTDIR source=../../scripts/wine-vars.sh
    source "$root/scripts/wine-vars.sh"
    # An overlay over a prefix whose registry is not yet on disk would start without one.
    if [ ! -s "$WINEPREFIX/system.reg" ]; then
        echo "the prefix $WINEPREFIX has no registry file: run the tests through scripts/test.sh" >&2
        exit 1
    fi
    mkdir -p "$work/upper" "$work/overlay-work" "$work/prefix"
    mount -t overlay overlay \
        -o "lowerdir=$WINEPREFIX,upperdir=$work/upper,workdir=$work/overlay-work" "$work/prefix"
    export WINEPREFIX="$work/prefix"
    export WINEDEBUG=err+sync,-all
}

# Notes a failure for the scenario's verdict, in $work/failures, and says it.
fail() {
    echo "FAIL: $*"
    echo "$*" >>"$work/failures"
}

# A private Xvfb; it picks a free display number itself (-displayfd), so tests running side by
# side never share one. Sets DISPLAY and xvfb_pid. The screen is $1, or else 1024x768x24.
start_display() {
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        if [ -s "$work/display" ]; then
            DISPLAY=":$(head -n 1 "$work/display")"
            export DISPLAY
            return 0
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    fail "no X display could be started"
    return 1
}

# Stops the overlay prefix's wineserver and removes the directory it leaves behind, named after
# the overlay's device and inode. Meant for EXIT traps: it never fails.
stop_wineserver() {
    local tag
    wineserver -k 2>/dev/null || true
    tag="$(cat "$WINEPREFIX/wineserver" 2>/dev/null)" || return 0
    if [ -n "$tag" ]; then
        rm -rf "${TMPDIR:-/tmp}/$tag/server-$(stat -c %D "$WINEPREFIX")-$(
            printf %x "$(stat -c %i "$WINEPREFIX")")" || true
    fi
    return 0
}
