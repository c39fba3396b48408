#!/usr/bin/env bash
# End-to-end test of the silent start-up mode: the real program with the argument 1 under Wine,
# its three built-in time sources pointed at a local server, the zone UTC+1, the host's clock
# untouched (Wine refuses to move it and logs the change asked for).
#
#   silent_mode_test.sh SCENARIO PROGRAM BARE_PROGRAM
#
# SCENARIO: "answering" (the server is up from the start) or "late_server" (it starts listening
# after 7 s, so the program has to retry). BARE_PROGRAM does nothing; it times Wine's own start.
# Exits 77 (skipped) where private network and mount namespaces cannot be made.
set -euo pipefail

readonly kZoneDifferenceMs=25200000  # UTC+8 minus UTC+1
readonly kToleranceMs=3000           # whole-second readings, and the time the exchange takes
readonly kLateServerDelayS=7
readonly kRetryDelayMs=5000
readonly kProgramLimitS=90           # the program retries forever; a test must not
readonly kReadyPolls=100              # 0.1 s each
readonly kBareRuns=3

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=isolated_network.sh
source "$here/isolated_network.sh"

# The EXIT trap inside the namespaces; it runs after inside() has returned.
stop_inside() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
    fi
    stop_wineserver
}

# Runs inside the private namespaces, as root of them. Leaves its findings in files in $work.
inside() {
    local scenario=$1 program=$2 bare=$3 work=$4

    isolate_network_and_zone "$work"
    use_overlay_prefix "$work"
    server_pid=""
    trap stop_inside EXIT

    # The first start in a new wineserver also starts Wine's services; keep that out of the timing.
    wine "$bare" >/dev/null 2>&1 || true
    local start end bare_ms=""
    for _ in $(seq "$kBareRuns"); do
        start=$(now_ms)
        wine "$bare" >/dev/null 2>&1 || true
        end=$(now_ms)
        if [ -z "$bare_ms" ] || ((end - start < bare_ms)); then
            bare_ms=$((end - start))
        fi
    done
    echo "$bare_ms" >"$work/bare_ms"

    local delay=0
    [ "$scenario" = late_server ] && delay=$kLateServerDelayS
    python3 "$here/silent_date_server.py" --port 80 --delay "$delay" \
        --log "$work/server.log" --ready "$work/ready" >"$work/server.out" 2>&1 &
    server_pid=$!
    if [ "$scenario" = answering ]; then
        poll_until "$kReadyPolls" test -e "$work/ready" || true
    fi

    # Files, not pipes: Wine's helper processes inherit these and would hold a pipe open.
    local status=0
    start=$(now_ms)
    timeout "$kProgramLimitS" wine "$program" 1 >"$work/stdout" 2>"$work/stderr" || status=$?
    end=$(now_ms)
    echo "$status" >"$work/status"
    echo $((end - start)) >"$work/program_ms"
}

run_inside_when_rerun "$@"

scenario=${1:?scenario}
program=${2:?program}
bare=${3:?bare program}
case "$scenario" in answering | late_server) ;; *) echo "unknown scenario $scenario" >&2; exit 2 ;; esac

skip_unless_namespaces_available

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-silent.XXXXXX")"
trap 'rm -rf "$work"' EXIT

write_hosts_file "$work/hosts"

rerun_inside_namespaces "$scenario" "$program" "$bare" "$work" \
    >"$work/inside.log" 2>&1 || { echo "namespace setup failed:"; cat "$work/inside.log"; exit 1; }

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

status=$(cat "$work/status")
program_ms=$(cat "$work/program_ms")
bare_ms=$(cat "$work/bare_ms")
echo "program: exit status $status after $program_ms ms"
echo "bare Wine start (best of $kBareRuns): $bare_ms ms"
echo "program's own time (beyond a bare Wine start): $((program_ms - bare_ms)) ms"
echo "requests served:"
cat "$work/server.log" 2>/dev/null || true

[ "$status" = 0 ] || fail "exit status $status, expected 0"

expected_trace="${sources[0]}"$'\r\n'
actual_trace="$(cat "$work/stdout"; echo x)"
actual_trace=${actual_trace%x}
[ "$actual_trace" = "$expected_trace" ] ||
    fail "standard output $(printf '%q' "$actual_trace"), expected $(printf '%q' "$expected_trace")"

# One refused change per SetLocalTime that would move the clock: the date (only when the network
# date differs, by whole days) and then the time of day, which carries the zone difference.
mapfile -t differences < <(refused_clock_changes_ms "$work/stderr")
echo "clock changes asked for (ms): ${differences[*]:-none}"
if [ "${#differences[@]}" -lt 1 ] || [ "${#differences[@]}" -gt 2 ]; then
    fail "expected one or two refused clock changes, got ${#differences[@]}"
else
    last=${differences[-1]}
    distance=$(day_distance_ms "$last" "$kZoneDifferenceMs")
    ((distance <= kToleranceMs)) || fail "time-of-day change $last ms is not 7 h modulo a day"
    if [ "${#differences[@]}" -eq 2 ]; then
        distance=$(day_distance_ms "${differences[0]}" 0)
        ((distance <= kToleranceMs)) || fail "date change ${differences[0]} ms is not whole days"
    fi
fi

if [ "$scenario" = late_server ]; then
    # Refused at 0 s and 5 s, answered in the round at 10 s.
    ((program_ms >= 2 * kRetryDelayMs - 500)) ||
        fail "ended after $program_ms ms, before its second retry"
fi

if ((failures > 0)); then
    echo "--- program's standard error:"
    cat "$work/stderr"
    echo "--- server's output:"
    cat "$work/server.out" 2>/dev/null || true
    echo "--- namespace log:"
    cat "$work/inside.log"
    exit 1
fi
echo "PASS"
