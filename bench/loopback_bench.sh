# Sourced by the benchmarks: what they measure (the program, a bare Wine start, htpdate), a Wine
# prefix ready to overlay, and, inside the end-to-end tests' private namespaces with the zone set
# to UTC+8, loopback time sources whose clocks run a chosen offset ahead, over HTTP and HTTPS.
# shellcheck shell=bash
# The constants and defaults are for the scripts that source this file.
# shellcheck disable=SC2034

bench_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/isolated_network.sh
source "$bench_dir/../tests/e2e/isolated_network.sh"
# shellcheck source-path=SCRIPTDIR source=../tests/e2e/test_root.sh
source "$bench_dir/../tests/e2e/test_root.sh"

# The sources running, by name: offset_date_server.py processes.
declare -A source_pids=()

# UTC+8 is the network time's own zone, so the right change of the local clock is the source's
# offset itself.
readonly kNetworkZone=Etc/GMT-8
readonly kBaseOffsetUs=100000000  # 100 s, plus a random fraction of a second per trial
readonly kRunLimitS=60            # the silent mode retries forever; a benchmark must not
readonly kServerReadyPolls=100    # 0.1 s each
readonly kCapSysTimeBit=25

# Where this machine cannot execute 32-bit code, the 64-bit build of the same sources under
# wine64 and its 64-bit prefix (scripts/wine-vars.sh), as for the Windows tests.
# shellcheck source-path=SCRIPTDIR source=../scripts/wine-vars.sh
source "$root/scripts/wine-vars.sh"
wine_bits=$TIKORA_WINE_BITS
if [ "$wine_bits" = 64 ]; then
    windows_tree="$root/build/windows64"
else
    windows_tree="$root/build/windows"
fi
default_program="$windows_tree/app/win/QuelanTikora.exe"
default_bare="$windows_tree/tests/e2e/silent_bare_start.exe"

# ---------------------------------------------------------------- outside the namespaces

# A program to measure: the one given must exist; a default one missing is built.
require_program() {
    local file=$1 default=$2
    if [ ! -e "$file" ] && [ "$file" = "$default" ]; then
        bash "$root/scripts/build.sh" windows >&2
    fi
    if [ ! -e "$file" ]; then
        echo "no program at $file" >&2
        exit 1
    fi
    realpath "$file"
}

# The overlays need a finished prefix below them, or every run would make one of its own.
require_wine_prefix() {
    (
        # shellcheck source-path=SCRIPTDIR source=../scripts/wine-vars.sh
        source "$root/scripts/wine-vars.sh"
        if [ ! -e "$WINEPREFIX/system.reg" ]; then
            echo "making the Wine prefix $WINEPREFIX" >&2
            mkdir -p "$WINEPREFIX"
            wine wineboot -i </dev/null >/dev/null 2>&1
            wineserver -w
        fi
    )
}

# htpdate from Debian, with no daemon of it running: one would move the host's clock while the
# benchmark reads it.
require_htpdate() {
    if ! command -v htpdate >/dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y htpdate >&2
    fi
    if [ -d /run/systemd/system ] &&
        { systemctl is-active --quiet htpdate || systemctl is-enabled --quiet htpdate; } 2>/dev/null; then
        echo "stopping and disabling the htpdate daemon (systemctl disable --now htpdate)" >&2
        systemctl disable --now htpdate >&2
    fi
    if pgrep -x htpdate >/dev/null; then
        echo "an htpdate daemon is running (pid $(pgrep -x htpdate | xargs)): stop it first" >&2
        exit 1
    fi
}

# Like rerun_inside_namespaces, but without the capability to set the clock: neither Wine nor
# htpdate could move the host's clock inside, whatever they were asked.
rerun_inside_namespaces_without_clock() {
    unshare --net --mount setpriv --bounding-set -sys_time --inh-caps -sys_time \
        bash "$0" --inside "$@"
}

# ---------------------------------------------------------------- inside the namespaces

clock_capability_dropped() {
    local effective
    effective=$(awk '/^CapEff:/ { print $2 }' /proc/self/status)
    (((0x$effective >> kCapSysTimeBit & 1) == 0))
}

# Namespaces as the end-to-end tests make them, but UTC+8, an overlay prefix and its own
# persistent wineserver, and the offset source listening on port 80 with the options given
# (offset_date_server.py serve's: --latency and the faults), its requests logged in
# $work/requests. With --trust DIR first, the test root made in DIR (test_root.sh) is trusted in
# the namespace, set before the wineserver starts. The caller's EXIT trap must call stop_bench.
start_bench() {
    local trust=""
    bench_work=$1
    shift
    if [ "${1:-}" = --trust ]; then
        trust=$2
        shift 2
    fi
    clock_capability_dropped || {
        echo "the clock capability is still held inside the namespaces" >&2
        exit 1
    }
    isolate_network_and_zone "$bench_work" "$kNetworkZone"
    # Nothing may reach a source around the namespace's loopback: Wine's WinHTTP takes its
    # default proxy from these.
    unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
    if [ -n "$trust" ]; then
        trust_test_root "$trust"
    fi
    use_overlay_prefix "$bench_work"
    # Kept running between runs (it would exit 3 s after its last client, and the next run would
    # wait for Wine's services again); stop_bench ends it.
    wineserver -p
    set_offset_us "$bench_work" "$kBaseOffsetUs"
    start_source plain --port 80 "$@"
}

# Starts offset_date_server.py (serve with the options given, or blackhole when they begin with
# it) as the source called name, logging to $work/requests, and waits until it listens.
start_source() {
    local name=$1 command=serve
    shift
    if [ "${1:-}" = blackhole ]; then
        command=blackhole
        shift
    else
        set -- --offset-file "$bench_work/offset" --log "$bench_work/requests" "$@"
    fi
    rm -f "$bench_work/$name.ready"
    python3 "$bench_dir/offset_date_server.py" "$command" --ready "$bench_work/$name.ready" "$@" \
        >"$bench_work/$name.out" 2>&1 &
    source_pids[$name]=$!
    poll_until "$kServerReadyPolls" test -e "$bench_work/$name.ready" || {
        echo "the source $name did not start:" >&2
        cat "$bench_work/$name.out" >&2
        exit 1
    }
}

# Stops the source called name; its port is closed (refusing) when this returns.
stop_source() {
    local pid=${source_pids[$1]:-}
    unset "source_pids[$1]"
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
}

stop_bench() {
    local name
    for name in "${!source_pids[@]}"; do
        stop_source "$name"
    done
    stop_wineserver
}

# The source answers offset_us microseconds ahead from its next request on (renamed into place,
# so a request never reads half a number).
set_offset_us() {
    local work=$1 offset_us=$2
    printf '%d.%06d\n' $((offset_us / 1000000)) $((offset_us % 1000000)) >"$work/offset.new"
    mv "$work/offset.new" "$work/offset"
}

# 100 s plus a fraction of a second drawn uniformly to the microsecond, in microseconds.
random_offset_us() {
    local draw
    draw=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
    echo $((kBaseOffsetUs + draw % 1000000))
}

# Microseconds since the epoch, without starting a process.
now_us() {
    local now=$EPOCHREALTIME
    echo "${now/./}"
}
