#!/usr/bin/env bash
# Benchmark, run by hand as root: how close the clock change that the silent mode asks for comes
# to the right one over a path with the faults chosen, beside htpdate -p 9 in the same run, over
# N trials (default 100); with --https, the program over HTTPS beside the program over plain HTTP.
#
#   bench/accuracy.sh [--program EXE] [--raw FILE] [--https] [--latency MS] [--jitter MS]
#                     [--stall-ms MS [--stall-every N] [--stall-regularly]] [--machines N --machine-spread-ms MS]
#                     [--machine-offsets-ms A,B,...] [--late-date-ms MS] [N]
#
# Each run gives the source a new offset D = 100 s + u (u uniform in [0, 1)); with the zone at
# UTC+8 the right change is exactly D, plus the clock of the machine the run measured. The
# program's change is read from Wine's err channel (Wine refuses it and names it); htpdate only
# queries and prints its offset. The source logs every request it answers, and which machine on
# which connection answered it: summarize.py takes each run's exchanges from that log.
# One namespace and one wineserver serve every trial: the program measures after Wine has
# started, in a process of its own each time, so what Wine keeps between runs cannot bias it.
# --raw keeps the runs (FILE) and the request log (FILE.requests) for summarize.py.
set -euo pipefail

readonly kHtpdatePrecision=9  # the most bisection steps htpdate allows
readonly kHtpdateLimitS=60
readonly kWholeMs='^[0-9]+$'
readonly kMsList='^-?[0-9]+(\.[0-9]+)?(,-?[0-9]+(\.[0-9]+)?)*$'

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=loopback_bench.sh
source "$here/loopback_bench.sh"

# Appends "TRIAL COLUMN STARTED_US ENDED_US OFFSET_US READING_US" to $work/runs for a run of
# "$@" against a new offset, the reading parsed from the run's output by the function named
# third ("-" for none).
measure() {
    local trial=$1 column=$2 parse=$3 offset_us started_us ended_us reading
    shift 3
    offset_us=$(random_offset_us)
    set_offset_us "$work" "$offset_us"
    started_us=$(now_us)
    # Files, not pipes: Wine's helper processes inherit these and would hold a pipe open.
    "$@" >"$work/stdout" 2>"$work/stderr" </dev/null || true
    ended_us=$(now_us)
    reading=$("$parse")
    echo "$trial $column $started_us $ended_us $offset_us ${reading:--}" >>"$work/runs"
}

# The change the silent mode asked for, in µs: the first one Wine refused. Wine names it cut
# toward zero to whole milliseconds (its difference in 100 ns units divided by 10000), so the
# change lay in the millisecond beyond the one named: its middle is taken, else every reading
# would be half a millisecond short.
program_reading_us() {
    local asked_ms
    asked_ms=$(refused_clock_changes_ms "$work/stderr" | sed -n 1p)
    [ -z "$asked_ms" ] || echo $((asked_ms * 1000 + (asked_ms < 0 ? -500 : 500)))
}

# The offset htpdate printed, in µs.
htpdate_reading_us() {
    sed -n 's/^Offset \(-\?[0-9.]*\) seconds.*/\1/p' "$work/stdout" "$work/stderr" | sed -n 1p |
        awk '{ printf "%.0f\n", $1 * 1e6 }'
}

run_program() { timeout "$kRunLimitS" wine "$program" 1; }
run_htpdate() { timeout "$kHtpdateLimitS" htpdate -q -p "$kHtpdatePrecision" 127.0.0.1:80; }

# The last run's error in ms against the base offset (machine clocks and all), for the progress.
last_run() {
    tail -n 1 "$work/runs" | awk '$6 == "-" { print "no reading"; exit }
        { printf "%+.1f ms", ($6 - $5) / 1000 }'
}

inside() {
    local trial reading
    program=$1
    local trials=$2 https=$3
    work=$4
    shift 4
    trap stop_bench EXIT
    if [ "$https" = 1 ]; then
        start_bench "$work" --trust "$work/tls" "$@"
        start_source tls --port 443 --tls-cert "$work/tls/server.crt" \
            --tls-key "$work/tls/server.key" "$@"
        python3 "$bench_dir/offset_date_server.py" tls-check "${hosts[@]}" >&2
    else
        start_bench "$work" "$@"
    fi
    python3 "$bench_dir/offset_date_server.py" round-trip >"$work/round_trip"

    # The first start in a new wineserver also starts Wine's services; it must work at all.
    measure 0 0 program_reading_us run_program
    reading=$(awk '{ print $6 }' "$work/runs")
    if [ "$reading" = - ]; then
        echo "the program asked for no clock change; its standard error:" >&2
        cat "$work/stderr" >&2
        exit 1
    fi

    start=$(now_us)
    for trial in $(seq "$trials"); do
        if [ "$https" = 1 ]; then
            measure "$trial" 0 program_reading_us run_program
            reading=$(last_run)
            # A closed port 443 refuses at once: the program goes on to plain HTTP.
            stop_source tls
            measure "$trial" 1 program_reading_us run_program
            printf 'trial %d/%d: HTTPS served %s, plain HTTP only %s\n' \
                "$trial" "$trials" "$reading" "$(last_run)" >&2
            start_source tls --port 443 --tls-cert "$work/tls/server.crt" \
                --tls-key "$work/tls/server.key" "$@"
        else
            measure "$trial" 0 program_reading_us run_program
            reading=$(last_run)
            measure "$trial" 1 htpdate_reading_us run_htpdate
            printf 'trial %d/%d: program %s, htpdate -p %d %s\n' \
                "$trial" "$trials" "$reading" "$kHtpdatePrecision" "$(last_run)" >&2
        fi
    done
    echo $((($(now_us) - start) / 1000000)) >"$work/seconds"
}

# The clocks of the machines, in ms ahead, as offset_date_server.py spreads them.
machine_clocks_ms() {
    local count=$1 spread=$2 list=$3
    if [ -n "$list" ]; then
        echo "${list//,/ }"
    else
        awk -v n="$count" -v s="$spread" 'BEGIN {
            for (i = 0; i < n; i++) printf "%s%g", (i ? " " : ""), (n > 1 ? i * s / (n - 1) : 0)
            print "" }'
    fi
}

hosts=()
read -r -a hosts <<<"${TIKORA_BENCH_HOSTS:-}"
run_inside_when_rerun "$@"

program=$default_program
raw=""
https=0
faults=()
latency_ms=0 jitter_ms=0 stall_ms=0 stall_every=4 stall_regularly=0 machines=1 spread_ms=0 machine_list="" late_ms=0
while [ $# -gt 0 ]; do
    case "$1" in
    --program) program=${2:?--program needs a path}; shift 2 ;;
    --raw) raw=${2:?--raw needs a path}; shift 2 ;;
    --https) https=1; shift ;;
    --latency) latency_ms=${2:?}; shift 2 ;;
    --jitter) jitter_ms=${2:?}; shift 2 ;;
    --stall-ms) stall_ms=${2:?}; shift 2 ;;
    --stall-every) stall_every=${2:?}; shift 2 ;;
    --stall-regularly) stall_regularly=1; shift ;;
    --machines) machines=${2:?}; shift 2 ;;
    --machine-spread-ms) spread_ms=${2:?}; shift 2 ;;
    --machine-offsets-ms) machine_list=${2:?}; shift 2 ;;
    --late-date-ms) late_ms=${2:?}; shift 2 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
trials=${1:-100}
[[ "$trials" =~ ^[1-9][0-9]*$ ]] || { echo "N must be a positive whole number" >&2; exit 2; }
for value in "$latency_ms" "$jitter_ms" "$stall_ms" "$spread_ms" "$late_ms"; do
    [[ "$value" =~ $kWholeMs ]] || { echo "delays are whole milliseconds: $value" >&2; exit 2; }
done
[[ "$stall_every" =~ ^[1-9][0-9]*$ && "$machines" =~ ^[1-9][0-9]*$ ]] ||
    { echo "--stall-every and --machines take a positive whole number" >&2; exit 2; }
[ -z "$machine_list" ] || [[ "$machine_list" =~ $kMsList ]] ||
    { echo "--machine-offsets-ms takes milliseconds separated by commas" >&2; exit 2; }

# The source's options, and the same in words for the table.
mode=""
describe() { mode+="${mode:+; }$1"; }
if ((latency_ms)); then
    faults+=(--latency "$latency_ms")
    describe "$latency_ms ms each way"
else
    describe loopback
fi
if ((jitter_ms)); then
    faults+=(--jitter "$jitter_ms")
    describe "random delay of 0–$jitter_ms ms more each way, drawn per request and direction"
fi
if ((stall_ms)); then
    faults+=(--stall-ms "$stall_ms" --stall-every "$stall_every")
    if ((stall_regularly)); then
        faults+=(--stall-regularly)
        describe "every ${stall_every}th request the source reads waits $stall_ms ms before it is read"
    else
        describe "one request in $stall_every (drawn at random) waits $stall_ms ms before it is read"
    fi
fi
read -r -a clocks <<<"$(machine_clocks_ms "$machines" "$spread_ms" "$machine_list")"
if [ "${#clocks[@]}" -gt 1 ]; then
    faults+=(--machine-offsets-ms "$(IFS=,; echo "${clocks[*]}")")
    clock_list=$(printf '+%s, ' "${clocks[@]}")
    describe "${#clocks[@]} machines behind the address with clocks ${clock_list%, } ms ahead, \
each new connection meeting one at random and keeping it"
fi
if ((late_ms)); then
    faults+=(--late-date-ms "$late_ms")
    describe "the Date cached and refreshed every $late_ms ms, so 0–$late_ms ms late (errors are \
from the true clocks: no tool can see this)"
fi
if ((https)); then
    describe "the program with ports 443 and 80 served beside the program with port 80 only"
    labels=("QuelanTikora.exe 1, HTTPS served" "QuelanTikora.exe 1, plain HTTP only")
else
    labels=("QuelanTikora.exe 1" "htpdate -q -p $kHtpdatePrecision")
fi

[ "$(id -u)" = 0 ] || { echo "run as root: it makes private namespaces" >&2; exit 1; }
program=$(require_program "$program" "$default_program")
require_wine_prefix
((https)) || require_htpdate

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
write_hosts_file "$work/hosts"
if ((https)); then
    require_openssl
    hosts=()
    for source in "${sources[@]}"; do
        host=${source#*://}
        hosts+=("${host%%/*}")
    done
    make_test_certificates "$work/tls" "${hosts[@]}"
fi
TIKORA_BENCH_HOSTS="${hosts[*]}" \
    rerun_inside_namespaces_without_clock "$program" "$trials" "$https" "$work" "${faults[@]}"

if [ -n "$raw" ]; then
    cp "$work/runs" "$raw"
    cp "$work/requests" "$raw.requests"
fi
flags=()
[ "${#clocks[@]}" -le 1 ] || flags+=(--machines)
((https == 0)) || flags+=(--schemes)
python3 "$here/summarize.py" --runs "$work/runs" --requests "$work/requests" \
    --round-trip-ms "$(cat "$work/round_trip")" --labels "${labels[@]}" \
    --mode "$mode" "${flags[@]}"
echo
echo "Program: $program (Wine: $wine_bits-bit, $(wine --version 2>/dev/null || echo unknown))"
echo "Run time: $(cat "$work/seconds") s for $trials trials ($(date -u '+%Y-%m-%d %H:%M UTC'))"
