#!/usr/bin/env bash
# End-to-end test of the silent start-up mode: the real program with the argument 1 under Wine,
# its three built-in time sources pointed at a local server, the zone UTC+1, the host's clock
# untouched (Wine refuses to move it by 0.5 s or more and logs the change asked for). The
# program's exit status and its entry in the event log (which Wine writes to its eventlog
# channel) say what it did.
#
#   silent_mode_test.sh SCENARIO PROGRAM BARE_PROGRAM
#
# SCENARIO: "answering" (the server is up from the start), "late_server" (it starts listening
# after 7 s, so the program has to retry), "two_instances" (two silent instances started
# together; the server answers after a pause, so the one that asks holds its turn meanwhile) or
# "accepted" (the zone is UTC+8, so the change is a few milliseconds, which Wine accepts) or
# "one_skewed" (as "accepted", but each source has a server on an address of its own, and the
# first one's clock is kSkewMs ahead: the other two outvote it) or "no_downgrade" (four runs in
# UTC+8: over HTTPS, the test root trusted in the namespace, which records it; then plain HTTP
# alone 137 s ahead, left alone with status 2 and a warning; 20 s ahead, asked; and with the
# record removed, 137 s ahead, asked).
# BARE_PROGRAM does nothing; it times Wine's own start.
# Exits 77 (skipped) where private network and mount namespaces cannot be made.
set -euo pipefail

readonly kZoneDifferenceMs=25200000 # UTC+8 minus UTC+1
# The header gives whole seconds, so the estimate is off by up to 0.5 s plus half the round
# trip; the rest is room for a round trip slowed down by a busy machine.
readonly kToleranceMs=1000
# The two SetLocalTime calls of one correction get the same value: their changes differ by
# the time between the calls.
readonly kSameChangeMs=100
readonly kLateServerDelayS=7
readonly kAnswerDelayS=5
readonly kRetryDelayMs=5000
readonly kProgramLimitS=90 # the program retries forever; a test must not
readonly kReadyPolls=100   # 0.1 s each
readonly kBareRuns=3
# Exit statuses: the clock set (or another instance setting it), and Windows refusing it.
readonly kExitCorrected=0
readonly kExitRefused=1
# What Wine accepts without moving anything.
readonly kAcceptedLimitMs=500
readonly kSkewMs=2000

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=isolated_network.sh
source "$here/isolated_network.sh"
# shellcheck source-path=SCRIPTDIR source=test_root.sh
source "$here/test_root.sh"
readonly kHttpsRecord='HKLM\SOFTWARE\Quelan_Tikora'
# no_downgrade's runs: each one's source clock ahead in ms, HTTPS served by the first alone.
readonly kDowngradeSteps=(0 137000 20000 137000)

# The EXIT trap inside the namespaces; it runs after inside() has returned.
stop_inside() {
    if [ -n "$server_pid" ]; then
        # shellcheck disable=SC2086 # one or three of them
        kill $server_pid 2>/dev/null || true
    fi
    stop_wineserver
}

# Runs one silent instance; its files in $work carry the suffix given.
run_instance() {
    local program=$1 work=$2 suffix=$3 status=0
    # Files, not pipes: Wine's helper processes inherit these and would hold a pipe open.
    WINEDEBUG="$WINEDEBUG,trace+eventlog,warn+eventlog,err+eventlog" timeout "$kProgramLimitS" \
        wine "$program" 1 >"$work/stdout$suffix" 2>"$work/stderr$suffix" || status=$?
    now_ms >"$work/end_ms$suffix"
    echo "$status" >"$work/status$suffix"
}

# A source on address:port, its clock aheadMs ahead, over TLS on 443; waits until it listens.
start_source() {
    local address=$1 port=$2 ahead=$3 tls=()
    [ "$port" = 443 ] && tls=(--tls-cert "$work/tls/server.crt" --tls-key "$work/tls/server.key")
    rm -f "$work/ready.$address.$port"
    python3 "$here/silent_date_server.py" --address "$address" --port "$port" --ahead-ms "$ahead" \
        "${tls[@]}" --log "$work/server.log" --ready "$work/ready.$address.$port" \
        >>"$work/server.out" 2>&1 &
    server_pid+=" $!"
    poll_until "$kReadyPolls" test -e "$work/ready.$address.$port" || true
}

# Runs inside the private namespaces, as root of them. Leaves its findings in files in $work.
inside() {
    local scenario=$1 program=$2 bare=$3 work=$4 zone=Etc/GMT-1

    [[ "$scenario" =~ ^(accepted|one_skewed|no_downgrade)$ ]] && zone=Etc/GMT-8
    isolate_network_and_zone "$work" "$zone"
    [ "$scenario" != no_downgrade ] || trust_test_root "$work/tls"
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

    local delay=0 answer_delay=0
    [ "$scenario" = late_server ] && delay=$kLateServerDelayS
    [ "$scenario" = two_instances ] && answer_delay=$kAnswerDelayS
    if [ "$scenario" = no_downgrade ]; then
        local step
        for step in 1 2 3 4; do
            # shellcheck disable=SC2086 # the servers of the step before
            kill $server_pid 2>/dev/null || true
            server_pid=""
            start_source 127.0.0.1 80 "${kDowngradeSteps[step - 1]}"
            [ "$step" != 1 ] || start_source 127.0.0.1 443 0
            [ "$step" != 4 ] || wine reg delete "$kHttpsRecord" /f >/dev/null 2>&1 || true
            run_instance "$program" "$work" ".$step"
            [ "$step" != 1 ] || wine reg query "$kHttpsRecord" >"$work/recorded" 2>&1 || true
        done
        return 0
    elif [ "$scenario" = one_skewed ]; then
        start_source 127.0.0.11 80 "$kSkewMs"
        start_source 127.0.0.12 80 0
        start_source 127.0.0.13 80 0
    else
        python3 "$here/silent_date_server.py" --port 80 --delay "$delay" \
            --answer-delay "$answer_delay" \
            --log "$work/server.log" --ready "$work/ready" >"$work/server.out" 2>&1 &
        server_pid=$!
    fi
    if [ "$scenario" != late_server ]; then
        poll_until "$kReadyPolls" test -e "$work/ready" -o -e "$work/ready.127.0.0.13.80" || true
    fi

    now_ms >"$work/start_ms"
    if [ "$scenario" = two_instances ]; then
        local first second
        run_instance "$program" "$work" .1 &
        first=$!
        run_instance "$program" "$work" .2 &
        second=$!
        wait "$first" "$second"
    else
        run_instance "$program" "$work" .1
    fi
}

run_inside_when_rerun "$@"

scenario=${1:?scenario}
program=${2:?program}
bare=${3:?bare program}
case "$scenario" in answering | late_server | two_instances | accepted | one_skewed | no_downgrade) ;; *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac

skip_unless_namespaces_available

work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-silent.XXXXXX")"
trap 'rm -rf "$work"' EXIT

write_hosts_file "$work/hosts"
if [ "$scenario" = no_downgrade ]; then
    hosts=("${sources[@]#*://}")
    make_test_certificates "$work/tls" "${hosts[@]%/}"
fi
if [ "$scenario" = one_skewed ]; then
    awk 'NR > 1 { $1 = "127.0.0.1" NR - 1 } { print }' "$work/hosts" >"$work/each" && mv "$work/each" "$work/hosts"
fi

rerun_inside_namespaces "$scenario" "$program" "$bare" "$work" \
    >"$work/inside.log" 2>&1 || {
    echo "namespace setup failed:"
    cat "$work/inside.log"
    exit 1
}

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The strings of the program's event log entries of one kind (trace: information, err: error,
# warn: warning), one a line, as Wine writes them to its eventlog channel.
event_strings() {
    sed -n "s/.*$1:eventlog:ReportEventW L\"\(.*\)\"\r\?$/\1/p" "$2"
}

# Checks the instance whose files carry the suffix given as the one that corrected the clock:
# the trace line, the first source's alone; one correction of 7 h asked as two equal changes
# (in UTC+8, one Wine accepts); one entry in the event log: the change as +1.234, the sources
# (the first source first, or where it was outvoted, the other two), plain HTTP (what the local
# server speaks), the final interval, for a refusal the cause, Windows' error 1314, and what the
# other sources said.
check_correcting_instance() {
    local suffix=$1 expected_trace actual_trace changes error entry kind=err strings=6
    expected_trace="${sources[0]}"$'\r\n'
    actual_trace="$(
        cat "$work/stdout$suffix"
        echo x
    )"
    actual_trace=${actual_trace%x}
    [ "$actual_trace" = "$expected_trace" ] ||
        fail "standard output $(printf '%q' "$actual_trace"), expected $(printf '%q' "$expected_trace")"

    [ "$scenario" = accepted ] || [ "$scenario" = one_skewed ] && kind=trace strings=5
    mapfile -t entry < <(event_strings "$kind" "$work/stderr$suffix")
    echo "event log entry ($kind): ${entry[*]:-none}"
    [ "$(grep -c eventlog:ReportEventW "$work/stderr$suffix")" = "$strings" ] ||
        fail "entries of other kinds were written"
    if [ "${#entry[@]}" -ne "$strings" ]; then
        fail "expected one entry of $strings strings, got ${#entry[@]}"
    else
        [[ "${entry[0]}" =~ ^[+-][0-9]+\.[0-9]{3}$ ]] || fail "change '${entry[0]}' not as +1.234"
        if [ "$scenario" = one_skewed ]; then
            # Wine writes the strings' other characters as escapes: \3001 is "、".
            [ "${entry[1]}" = "${sources[1]}\\3001${sources[2]}" ] || fail "sources '${entry[1]}'"
            local difference=none
            [[ "${entry[4]}" =~ ${sources[0]}[^+-]*\+([0-9]+)\.[0-9] ]] &&
                difference=${BASH_REMATCH[1]}
            if [ "$difference" = none ] || (($(abs $((difference - kSkewMs))) >= 100)); then
                fail "the outvoted source is not named with its difference: '${entry[4]}'"
            fi
        else
            [[ "${entry[1]}" == "${sources[0]}"* ]] || fail "sources '${entry[1]}'"
        fi
        [ "${entry[2]}" = HTTP ] || fail "protocol '${entry[2]}', expected HTTP"
        [[ "${entry[3]}" =~ ^[0-9]+\.[0-9]$ ]] && ((${entry[3]%.*} <= 1000)) ||
            fail "interval '${entry[3]}' ms"
        [ "$kind" = trace ] || [[ "${entry[4]}" == *1314* ]] || fail "cause '${entry[4]}'"
    fi

    mapfile -t changes < <(refused_clock_changes_ms "$work/stderr$suffix")
    echo "clock changes refused (ms): ${changes[*]:-none}"
    error=$(awk -v s="${entry[0]:-99999}" 'BEGIN { printf "%.0f", s * 1000 }')
    if [ "$scenario" = accepted ] || [ "$scenario" = one_skewed ]; then
        [ "${#changes[@]}" -eq 0 ] || fail "a change of the clock was refused"
        (($(abs "$error") < kAcceptedLimitMs)) || fail "change ${entry[0]:-none} s in UTC+8"
        return 0
    fi
    # One refused change per SetLocalTime that would move the clock: the same value twice, and
    # the one the entry names.
    if [ "${#changes[@]}" -ne 2 ]; then
        fail "expected two refused clock changes, got ${#changes[@]}"
        return 0
    fi
    (($(abs $((error - changes[1]))) <= kSameChangeMs)) ||
        fail "the entry names a change of ${entry[0]:-none} s, Wine was asked ${changes[1]} ms"
    error=$((changes[1] - kZoneDifferenceMs))
    echo "change asked minus the exact 7 h: $error ms"
    (($(abs "$error") <= kToleranceMs)) || fail "clock change ${changes[1]} ms is not 7 h"
    (($(abs $((changes[0] - changes[1]))) <= kSameChangeMs)) ||
        fail "the two calls asked different changes: ${changes[*]}"
}

abs() { echo $(($1 < 0 ? -$1 : $1)); }

# Each no_downgrade run's status and the change it asked for: none, or its source's lead within
# a second; the second run's warning names the change it left alone.
if [ "$scenario" = no_downgrade ]; then
    grep -q HttpsAnswered "$work/recorded" || fail "the run over HTTPS recorded nothing"
    grep -q '^https://' "$work/stdout.1" || fail "the first run was not answered over HTTPS"
    statuses=(0 2 1 1)
    for step in 1 2 3 4; do
        status=$(cat "$work/status.$step") lead=${kDowngradeSteps[step - 1]}
        change=$(refused_clock_changes_ms "$work/stderr.$step" | head -n 1)
        echo "run $step, source $lead ms ahead: status $status, change asked ${change:-none} ms"
        [ "$status" = "${statuses[step - 1]}" ] || fail "run $step: status $status"
        if ((step <= 2)); then
            [ -z "$change" ] || fail "run $step asked to move the clock"
        elif [ -z "$change" ] || (($(abs $((change - lead))) > 1000)); then
            fail "run $step: change ${change:-none} ms"
        fi
    done
    grep -qE 'warn:eventlog.*L"\+13[67]\.' "$work/stderr.2" || fail "no warning names the change"
    ((failures == 0)) || { cat "$work/inside.log" "$work/stderr.2"; exit 1; }
    echo PASS
    exit 0
fi

bare_ms=$(cat "$work/bare_ms")
start_ms=$(cat "$work/start_ms")
echo "bare Wine start (best of $kBareRuns): $bare_ms ms"
echo "requests served:"
cat "$work/server.log" 2>/dev/null || true
mapfile -t requests <"$work/server.log" 2>/dev/null || requests=()

instances=(.1)
[ "$scenario" = two_instances ] && instances=(.1 .2)
# Of two instances, the one that asked for a time wrote the trace line; the other did nothing.
corrector=.1 other=.2
[ "$scenario" = two_instances ] && [ -s "$work/stdout.2" ] && corrector=.2 other=.1
for suffix in "${instances[@]}"; do
    status=$(cat "$work/status$suffix")
    program_ms=$(($(cat "$work/end_ms$suffix") - start_ms))
    echo "instance ${suffix#.}: exit status $status after $program_ms ms" \
        "($((program_ms - bare_ms)) ms beyond a bare Wine start)"
    expected=$kExitCorrected
    [ "$suffix" = "$corrector" ] && [ "$scenario" != accepted ] && [ "$scenario" != one_skewed ] &&
        expected=$kExitRefused
    [ "$status" = "$expected" ] || fail "instance ${suffix#.}: exit status $status, expected $expected"
done

if [ "$scenario" = two_instances ]; then
    echo "instance ${corrector#.} corrected"
    check_correcting_instance "$corrector"
    # One instance asked: the first answer, and at most one request to each of the others, which
    # the source answers too late to narrow anything.
    ((${#requests[@]} <= 3)) || fail "the source saw ${#requests[@]} requests, expected 3 at most"
    [ ! -s "$work/stdout$other" ] || fail "instance ${other#.} wrote a trace line"
    [ -z "$(refused_clock_changes_ms "$work/stderr$other")" ] ||
        fail "instance ${other#.} asked to set the clock"
    ! grep -q eventlog:ReportEventW "$work/stderr$other" ||
        fail "instance ${other#.} wrote to the event log"
    # Ended at once: before the source, asked by the other instance, had even answered.
    answered_ms=$(awk '{ printf "%.0f", $1 * 1000 }' <<<"${requests[0]:-0}")
    other_end_ms=$(cat "$work/end_ms$other")
    ((other_end_ms < answered_ms)) ||
        fail "instance ${other#.} ended $((other_end_ms - answered_ms)) ms after the answer"
else
    check_correcting_instance .1
fi

if [ "$scenario" = late_server ]; then
    # Refused at 0 s and 5 s, answered in the round at 10 s.
    program_ms=$(($(cat "$work/end_ms.1") - start_ms))
    ((program_ms >= 2 * kRetryDelayMs - 500)) ||
        fail "ended after $program_ms ms, before its second retry"
fi

if ((failures > 0)); then
    for suffix in "${instances[@]}"; do
        echo "--- instance ${suffix#.}'s standard error:"
        cat "$work/stderr$suffix"
    done
    echo "--- server's output:"
    cat "$work/server.out" 2>/dev/null || true
    echo "--- namespace log:"
    cat "$work/inside.log"
    exit 1
fi
echo "PASS"
