#!/usr/bin/env bash
# HTTPS first, under Wine against local TLS sources: a test root made at run time is trusted
# only inside private network and mount namespaces (appended to a copy of the system's CA bundle
# bound over it, which Wine's crypt32 reads), the test names lead to loopback addresses, and
# TESTS (a gtest program) asks them:
#
#   https_sources_test.sh TESTS
#
# good.test, also far.test (only the proxy reaches it): a certificate from the test root
# unknown-root.test: from a root nobody trusts, plain HTTP too
# wrong-name.test: the test root's certificate for another name, plain HTTP too
# expired.test: the test root's, expired in 2020
# plain-only.test, far-plain.test (only the proxy reaches it): plain HTTP only
# Exits 77 (skipped) where the namespaces cannot be made.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=isolated_network.sh
source "$here/isolated_network.sh"
readonly kBundle=/etc/ssl/certs/ca-certificates.crt

# A key and a certificate for NAME (subject alternative names SANS) signed by ROOT, valid from
# START to END (openssl ca's dates).
issue() {
    local name=$1 sans=$2 root=$3 start=$4 end=$5
    openssl req -newkey rsa:2048 -nodes -keyout "$work/$name.key" -out "$work/$name.csr" \
        -subj "/CN=$name" -addext "subjectAltName=$sans" 2>/dev/null
    openssl ca -batch -config "$work/ca.cnf" -cert "$work/$root.pem" -keyfile "$work/$root.key" \
        -in "$work/$name.csr" -out "$work/$name.pem" -startdate "$start" -enddate "$end" \
        -notext 2>/dev/null
}

make_certificates() {
    printf '%s\n' '[ca]' 'default_ca = test' '[test]' "database = $work/index" \
        "new_certs_dir = $work" "serial = $work/serial" 'default_md = sha256' \
        'policy = any' 'copy_extensions = copy' '[any]' 'commonName = supplied' >"$work/ca.cnf"
    : >"$work/index"
    echo 01 >"$work/serial"
    local root from to
    for root in root stranger; do
        openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/$root.key" -days 2 \
            -out "$work/$root.pem" -subj "/CN=Tikora $root" 2>/dev/null
    done
    from=$(date -u -d yesterday +%Y%m%d%H%M%SZ)
    to=$(date -u -d tomorrow +%Y%m%d%H%M%SZ)
    issue good "DNS:good.test,DNS:far.test" root "$from" "$to"
    issue unknown-root DNS:unknown-root.test stranger "$from" "$to"
    issue other-name DNS:other-name.test root "$from" "$to"
    issue expired DNS:expired.test root 20200101000000Z 20200102000000Z
    rm -f "$work"/*.csr "$work"/root.key "$work"/stranger.key
}

stop_inside() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    stop_wineserver
}

inside() {
    local tests=$1
    work=$2
    : >"$work/failures"
    isolate_network_and_zone "$work"
    cat "$kBundle" "$work/root.pem" >"$work/bundle.crt"
    mount --bind "$work/bundle.crt" "$kBundle"
    use_overlay_prefix "$work"
    server_pid=""
    trap stop_inside EXIT
    python3 "$here/tls_sources.py" --log "$work/requests.log" --ready "$work/ready" \
        --tls "127.0.0.11:$work/good.pem:$work/good.key" \
        --tls "127.0.0.12:$work/unknown-root.pem:$work/unknown-root.key" \
        --tls "127.0.0.13:$work/other-name.pem:$work/other-name.key" \
        --tls "127.0.0.14:$work/expired.pem:$work/expired.key" \
        --plain 127.0.0.12 --plain 127.0.0.13 --plain 127.0.0.15 \
        --proxy 127.0.0.1:3128 --map far.test=127.0.0.11 --map far-plain.test=127.0.0.15 &
    server_pid=$!
    poll_until 100 test -e "$work/ready" || { fail "the sources did not start"; return 0; }
    TIKORA_TLS_SOURCES=1 wine "$tests" || fail "the table failed"
    echo "--- requests:" && cat "$work/requests.log"
    grep -q "^proxy CONNECT far.test:443$" "$work/requests.log" || fail "no tunnel to far.test"
    grep -qF "127.0.0.15 'GET http://far-plain.test/ HTTP/1.0\\r\\nHost: far-plain.test\\r\\n\
Connection: close\\r\\nUser-Agent: GetHTTP 0.0\\r\\nPragma: no-cache\\r\\n\\r\\n'" \
        "$work/requests.log" || fail "the proxied plain request is not the source's own"
}

run_inside_when_rerun "$@"
skip_unless_namespaces_available
work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-https.XXXXXX")"
trap 'rm -rf "$work"' EXIT
make_certificates
printf '127.0.0.1 localhost\n127.0.0.11 good.test\n127.0.0.12 unknown-root.test\n%s\n%s\n%s\n' \
    "127.0.0.13 wrong-name.test" "127.0.0.14 expired.test" "127.0.0.15 plain-only.test" \
    >"$work/hosts"
run_scenario "${1:?tests}" "$work"
echo "PASS"
