#!/usr/bin/env bash
# Benchmark, run by hand as root: the silent mode's time from start to exit when the first source
# answers at once (the loopback source), beside a bare Wine start of a program that does nothing,
# so that the program's own share shows. Medians over RUNS runs each (default 21), taken in turns.
#
#   bench/silent_start.sh [--program EXE] [--bare EXE] [RUNS]
#
# Runs in the accuracy benchmark's namespaces, with one wineserver that is warmed up first: the
# figures are warm starts, as at a logon after Wine (or Windows) has its services running.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=loopback_bench.sh
source "$here/loopback_bench.sh"

# Runs "$@" once under Wine and appends its duration in µs to the file named first.
time_wine_run() {
    local times=$1 start
    shift
    start=$(now_us)
    timeout "$kRunLimitS" wine "$@" >"$work/stdout" 2>"$work/stderr" </dev/null || {
        echo "wine $* failed; its standard error:" >&2
        cat "$work/stderr" >&2
        exit 1
    }
    echo $(($(now_us) - start)) >>"$times"
}

inside() {
    local program=$1 bare=$2 runs=$3
    work=$4
    trap stop_bench EXIT
    start_bench "$work"

    # The first starts load Wine's services and both programs' files; keep them out.
    time_wine_run /dev/null "$bare"
    time_wine_run /dev/null "$program" 1
    for _ in $(seq "$runs"); do
        time_wine_run "$work/bare_us" "$bare"
        time_wine_run "$work/program_us" "$program" 1
    done
    # The last run must have done its work: asked for the change, which Wine refused.
    [ -n "$(refused_clock_changes_ms "$work/stderr")" ] || {
        echo "the program asked for no clock change; its standard error:" >&2
        cat "$work/stderr" >&2
        exit 1
    }
}

median_ms() {
    sort -n "$1" | awk '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.0f\n", m / 1000 }'
}

range_ms() {
    sort -n "$1" | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.0f–%.0f\n", lo / 1000, hi / 1000 }'
}

run_inside_when_rerun "$@"

program=$default_program
bare=$default_bare
while [ $# -gt 0 ]; do
    case "$1" in
    --program) program=${2:?--program needs a path}; shift 2 ;;
    --bare) bare=${2:?--bare needs a path}; shift 2 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
runs=${1:-21}
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a positive whole number" >&2; exit 2; }

[ "$(id -u)" = 0 ] || { echo "run as root: it makes private namespaces" >&2; exit 1; }
program=$(require_program "$program" "$default_program")
bare=$(require_program "$bare" "$default_bare")
require_wine_prefix

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
write_hosts_file "$work/hosts"
rerun_inside_namespaces_without_clock "$program" "$bare" "$runs" "$work"

program_ms=$(median_ms "$work/program_us")
bare_ms=$(median_ms "$work/bare_us")
echo "Start to exit, $runs warm runs each:"
echo
echo "| Run | median | range |"
echo "| --- | ---: | ---: |"
echo "| bare Wine start (a program that does nothing) | $bare_ms ms | $(range_ms "$work/bare_us") ms |"
echo "| \`QuelanTikora.exe 1\`, loopback source answering | $program_ms ms | $(range_ms "$work/program_us") ms |"
echo "| the program's own share (difference of the medians) | $((program_ms - bare_ms)) ms | |"
echo
echo "Program: $program"
