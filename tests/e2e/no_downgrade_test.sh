#!/usr/bin/env bash
# The silent mode after HTTPS has answered once: time that comes over plain HTTP alone moves the
# clock by at most a minute. Four silent runs in UTC+8 against the built-in sources on loopback:
# over HTTPS (the test root trusted in the namespace), which records it; then, HTTPS gone, plain
# HTTP 137 s ahead (left alone, status 2, a warning), 20 s ahead (asked), and with the record
# removed 137 s ahead (asked). Wine refuses every change of 0.5 s or more and logs it.
#
#   no_downgrade_test.sh PROGRAM
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=isolated_network.sh
source "$here/isolated_network.sh"
# shellcheck source-path=SCRIPTDIR source=test_root.sh
source "$here/test_root.sh"
readonly kRecord='HKLM\SOFTWARE\Quelan_Tikora'
readonly kLimitS=90

# Serves the sources on 127.0.0.1, port 80 and with TLS port 443 when asked, aheadMs ahead.
serve() {
    kill "${servers[@]}" 2>/dev/null || true
    servers=()
    local port ready tls
    for port in 80 ${2:-}; do
        ready="$work/ready.$port.$1" tls=()
        [ "$port" = 80 ] || tls=(--tls-cert "$work/tls/server.crt" --tls-key "$work/tls/server.key")
        python3 "$here/silent_date_server.py" --port "$port" --ahead-ms "$1" --log "$work/log" \
            --ready "$ready" "${tls[@]}" >>"$work/server.out" 2>&1 &
        servers+=($!)
        poll_until 100 test -e "$ready" || fail "no source on port $port"
    done
}

# One silent run, then checks its status, the change Wine was asked for (none, or about the one
# given) and whether it wrote a warning.
run_and_expect() {
    local name=$1 status=$2 asked=$3 warned=$4 last=0 changes warnings
    WINEDEBUG="$WINEDEBUG,trace+eventlog,warn+eventlog" timeout "$kLimitS" wine "$program" 1 \
        >"$work/out" 2>"$work/err" || last=$?
    changes=$(refused_clock_changes_ms "$work/err" | head -n 1)
    warnings=$(grep -c 'warn:eventlog' "$work/err" || true)
    echo "$name: status $last, change asked ${changes:-none} ms, warnings $warnings"
    [ "$last" = "$status" ] || fail "$name: status $last, expected $status"
    if [ "$asked" = none ]; then
        [ -z "$changes" ] || fail "$name: the clock was to be moved by $changes ms"
    elif [ -z "$changes" ] || (($(abs $((changes - asked))) > 1000)); then
        fail "$name: change asked ${changes:-none} ms, expected about $asked"
    fi
    if [ "$warned" = yes ]; then
        grep -qE 'warn:eventlog.*L"\+13[67]\.' "$work/err" || fail "$name: no warning names the change"
    elif [ "$warnings" != 0 ]; then
        fail "$name: $warnings warnings"
    fi
}

abs() { echo $(($1 < 0 ? -$1 : $1)); }

inside() {
    program=$1 work=$2 servers=()
    : >"$work/failures"
    isolate_network_and_zone "$work" Etc/GMT-8
    trust_test_root "$work/tls"
    use_overlay_prefix "$work"
    trap 'kill "${servers[@]}" 2>/dev/null; stop_wineserver' EXIT
    wine reg delete "$kRecord" /f >/dev/null 2>&1 || true

    serve 0 443
    run_and_expect "over HTTPS" 0 none no
    grep -q '^https://' "$work/out" || fail "the first run was not answered over HTTPS"
    wine reg query "$kRecord" /v HttpsAnswered >/dev/null 2>&1 || fail "HTTPS was not recorded"
    serve 137000
    run_and_expect "plain HTTP 137 s ahead" 2 none yes
    serve 20000
    run_and_expect "plain HTTP 20 s ahead" 1 20000 no
    wine reg delete "$kRecord" /f >/dev/null 2>&1 || fail "the record could not be removed"
    serve 137000
    run_and_expect "without the record, 137 s ahead" 1 137000 no
}

run_inside_when_rerun "$@"
skip_unless_namespaces_available
program=${1:?program}
work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-downgrade.XXXXXX")"
trap 'rm -rf "$work"' EXIT
write_hosts_file "$work/hosts"
mapfile -t hosts < <(awk 'NR > 1 { print $2 }' "$work/hosts")
make_test_certificates "$work/tls" "${hosts[@]}"
run_scenario "$program" "$work" || { cat "$work/server.out" 2>/dev/null; exit 1; }
echo PASS
