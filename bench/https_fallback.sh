#!/usr/bin/env bash
# Benchmark, run by hand as root: what a network that silently drops port 443 costs the silent
# mode before it falls back to plain HTTP, over RUNS runs (default 5).
#
#   bench/https_fallback.sh [--program EXE] [--raw FILE] [RUNS]
#
# In the accuracy benchmark's namespaces, but each built-in source on an address of its own
# (127.0.0.2, .3, .4 in the program's order), port 443 a listener whose full accept queue makes
# the system drop every SYN unanswered, and port 80 the loopback source answering at once. The
# SYNs are logged as they leave (syn_watch.py): a dropped attempt leaves no other trace. Prints,
# per run, when each source's HTTPS attempt began and what it cost, when the first plain-HTTP
# request came and when the program exited with its correction made.
set -euo pipefail

readonly kFirstSourceAddress=2  # 127.0.0.2, then one more per source
readonly kFallbackRunLimitS=120

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=loopback_bench.sh
source "$here/loopback_bench.sh"

# The sources, each on an address of its own, so that a SYN tells which source it was for. Sets
# addresses in the program's order.
write_hosts_file_apart() {
    local file=$1 number=$kFirstSourceAddress source host
    write_hosts_file "$file"
    addresses=()
    {
        echo "127.0.0.1 localhost"
        for source in "${sources[@]}"; do
            host=${source#*://}
            addresses+=("127.0.0.$number")
            echo "127.0.0.$number ${host%%/*}"
            number=$((number + 1))
        done
    } >"$file"
}

start_syn_watch() {
    python3 "$bench_dir/syn_watch.py" --log "$work/syns" --ready "$work/watch.ready" 443 80 \
        >"$work/watch.out" 2>&1 &
    source_pids[watch]=$!
    poll_until "$kServerReadyPolls" test -e "$work/watch.ready" || {
        echo "the SYN watch did not start:" >&2
        cat "$work/watch.out" >&2
        exit 1
    }
}

inside() {
    local program=$1 runs=$2 run started_us ended_us reading
    work=$3
    trap stop_bench EXIT
    start_bench "$work" --address 0.0.0.0
    start_source drop blackhole --address 0.0.0.0 --port 443
    start_syn_watch
    # Run 0 starts Wine's services in the new wineserver; the summary leaves it out.
    for run in $(seq 0 "$runs"); do
        set_offset_us "$work" "$(random_offset_us)"
        started_us=$(now_us)
        timeout "$kFallbackRunLimitS" wine "$program" 1 >"$work/stdout" 2>"$work/stderr" \
            </dev/null || true
        ended_us=$(now_us)
        reading=$(refused_clock_changes_ms "$work/stderr" | sed -n 1p)
        echo "$run $started_us $ended_us ${reading:--}" >>"$work/runs"
        printf 'run %d/%d: exit after %d ms, %s\n' "$run" "$runs" \
            $(((ended_us - started_us) / 1000)) "${reading:+a correction asked for}" >&2
    done
}

run_inside_when_rerun "$@"

program=$default_program
raw=""
while [ $# -gt 0 ]; do
    case "$1" in
    --program) program=${2:?--program needs a path}; shift 2 ;;
    --raw) raw=${2:?--raw needs a path}; shift 2 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
runs=${1:-5}
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a positive whole number" >&2; exit 2; }

[ "$(id -u)" = 0 ] || { echo "run as root: it makes private namespaces" >&2; exit 1; }
program=$(require_program "$program" "$default_program")
require_wine_prefix

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
write_hosts_file_apart "$work/hosts"
touch "$work/syns" "$work/requests"
rerun_inside_namespaces_without_clock "$program" "$runs" "$work"

if [ -n "$raw" ]; then
    cp "$work/runs" "$raw"
    cp "$work/syns" "$raw.syns"
    cp "$work/requests" "$raw.requests"
fi
python3 "$here/summarize_fallback.py" --runs "$work/runs" --syns "$work/syns" \
    --requests "$work/requests" --addresses "${addresses[@]}"
echo
echo "Program: $program (Wine: $wine_bits-bit, $(wine --version 2>/dev/null || echo unknown))"
