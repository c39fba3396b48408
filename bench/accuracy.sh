#!/usr/bin/env bash
# Benchmark, run by hand as root: how close the clock change that the silent mode asks for comes
# to the right one, beside htpdate in its plain mode and with -p 9, over N trials (default 100).
#
#   bench/accuracy.sh [--program EXE] [--latency MS] [--raw FILE] [N]
#
# Each trial gives the loopback source a new offset D = 100 s + u (u uniform in [0, 1)) before
# each of the three runs. With the zone at UTC+8 the right change is exactly D. The program's
# change is read from Wine's err channel (Wine refuses it and names it); htpdate only queries and
# prints its offset. --raw keeps the per-trial errors (µs: program, htpdate, htpdate -p) and,
# in FILE.exchanges, the program's requests and times per correction. --latency makes the source
# answer as over a path MS long each way (default 0: loopback).
# The source logs every request it answers; the lines that a program run adds are its exchanges,
# and the first of them is its first answer, the start of the refinement's time.
# One namespace and one wineserver serve every trial: the program measures after Wine has
# started, in a process of its own each time, so what Wine keeps between runs cannot bias it.
set -euo pipefail

readonly kHtpdatePrecision=9  # the most bisection steps htpdate allows
readonly kHtpdateLimitS=60

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=loopback_bench.sh
source "$here/loopback_bench.sh"

# The error in µs of the change the silent mode asks for against a new offset; "-" for none.
# Appends to $work/exchanges the run's requests to the source, the ms from its first answer to
# its last, and the ms from its first answer to the program's exit (the correction came before).
program_error_us() {
    local program=$1 work=$2 offset_us asked_ms logged_before exited_us
    offset_us=$(random_offset_us)
    set_offset_us "$work" "$offset_us"
    logged_before=$(logged_requests "$work")
    # Files, not pipes: Wine's helper processes inherit these and would hold a pipe open.
    timeout "$kRunLimitS" wine "$program" 1 >"$work/stdout" 2>"$work/stderr" </dev/null || true
    exited_us=$(now_us)
    tail -n +"$((logged_before + 1))" "$work/requests" | awk -v exited_us="$exited_us" '
        NR == 1 { first = $2 } { last = $2 }
        END {
            if (NR == 0) { print "0 - -"; exit }
            printf "%d %.1f %.1f\n", NR, (last - first) * 1000, exited_us / 1000 - first * 1000
        }' >>"$work/exchanges"
    asked_ms=$(refused_clock_changes_ms "$work/stderr" | sed -n 1p)
    if [ -z "$asked_ms" ]; then
        echo -
    else
        echo $((asked_ms * 1000 - offset_us))
    fi
}

# Requests the source has logged so far.
logged_requests() {
    if [ -e "$1/requests" ]; then
        wc -l <"$1/requests"
    else
        echo 0
    fi
}

# The error in µs of the offset htpdate prints (with the options given) against a new offset.
htpdate_error_us() {
    local work=$1 offset_us seconds
    shift
    offset_us=$(random_offset_us)
    set_offset_us "$work" "$offset_us"
    timeout "$kHtpdateLimitS" htpdate -q "$@" 127.0.0.1:80 >"$work/htpdate.out" 2>&1 || true
    seconds=$(sed -n 's/^Offset \(-\?[0-9.]*\) seconds.*/\1/p' "$work/htpdate.out" | sed -n 1p)
    if [ -z "$seconds" ]; then
        echo -
    else
        awk -v seconds="$seconds" -v offset="$offset_us" \
            'BEGIN { printf "%.0f\n", seconds * 1e6 - offset }'
    fi
}

inside() {
    local program=$1 trials=$2 latency_ms=$3 work=$4 trial start program_us plain_us precise_us
    server_pid=""
    trap stop_bench EXIT
    start_bench "$work" "$latency_ms"
    python3 "$bench_dir/offset_date_server.py" round-trip >"$work/round_trip"

    # The first start in a new wineserver also starts Wine's services; it must work at all.
    program_us=$(program_error_us "$program" "$work")
    if [ "$program_us" = - ]; then
        echo "the program asked for no clock change; its standard error:" >&2
        cat "$work/stderr" >&2
        exit 1
    fi
    : >"$work/exchanges"

    start=$(now_us)
    for trial in $(seq "$trials"); do
        program_us=$(program_error_us "$program" "$work")
        plain_us=$(htpdate_error_us "$work")
        precise_us=$(htpdate_error_us "$work" -p "$kHtpdatePrecision")
        echo "$program_us $plain_us $precise_us" >>"$work/errors"
        printf 'trial %d/%d: errors (µs) program %s, htpdate %s, htpdate -p %s; program %s\n' \
            "$trial" "$trials" "$program_us" "$plain_us" "$precise_us" \
            "$(tail -n 1 "$work/exchanges" | awk '{ printf "%s requests, %s ms, exit %s ms", $1, $2, $3 }')" >&2
    done
    echo $((($(now_us) - start) / 1000000)) >"$work/seconds"
}

run_inside_when_rerun "$@"

program=$default_program
raw=""
latency_ms=0
while [ $# -gt 0 ]; do
    case "$1" in
    --program) program=${2:?--program needs a path}; shift 2 ;;
    --raw) raw=${2:?--raw needs a path}; shift 2 ;;
    --latency) latency_ms=${2:?--latency needs milliseconds}; shift 2 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
trials=${1:-100}
[[ "$trials" =~ ^[1-9][0-9]*$ ]] || { echo "N must be a positive whole number" >&2; exit 2; }
[[ "$latency_ms" =~ ^[0-9]+$ ]] || { echo "--latency takes whole milliseconds" >&2; exit 2; }

[ "$(id -u)" = 0 ] || { echo "run as root: it makes private namespaces" >&2; exit 1; }
program=$(require_program "$program" "$default_program")
require_wine_prefix
require_htpdate

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
write_hosts_file "$work/hosts"
rerun_inside_namespaces_without_clock "$program" "$trials" "$latency_ms" "$work"

if [ -n "$raw" ]; then
    cp "$work/errors" "$raw"
    cp "$work/exchanges" "$raw.exchanges"
fi
python3 "$here/summarize.py" --errors "$work/errors" --round-trip-ms "$(cat "$work/round_trip")" \
    --latency-ms "$latency_ms" --exchanges "$work/exchanges" \
    --labels "QuelanTikora.exe 1" "htpdate -q" "htpdate -q -p $kHtpdatePrecision"
echo
echo "Program: $program (Wine: $wine_bits-bit, $(wine --version 2>/dev/null || echo unknown))"
echo "Run time: $(cat "$work/seconds") s for $trials trials ($(date -u '+%Y-%m-%d %H:%M UTC'))"
