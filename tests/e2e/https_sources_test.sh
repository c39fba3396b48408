#!/usr/bin/env bash
# HTTPS first, under Wine against local TLS sources (tls_sources.py): a test root made here is
# trusted only inside private namespaces (appended to a copy of the CA bundle that Wine's crypt32
# reads, bound over it). TESTS, a gtest program, asks them. Exits 77 without namespaces.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=isolated_network.sh
source "$here/isolated_network.sh"
readonly kBundle=/etc/ssl/certs/ca-certificates.crt
# Host, address, certificate's names and root (none: plain HTTP only). Only the proxy reaches
# far.test and far-plain.test.
readonly kSources=("good.test 127.0.0.11 good.test,far.test root"
    "unknown-root.test 127.0.0.12 unknown-root.test stranger"
    "wrong-name.test 127.0.0.13 other-name.test root"
    "expired.test 127.0.0.14 expired.test root expired"
    "plain-only.test 127.0.0.15"
    "moved.test 127.0.0.16 moved.test root")

make_certificates() {
    printf '%s\n' '[ca]' 'default_ca = test' '[test]' "database = $work/index" \
        "new_certs_dir = $work" "serial = $work/serial" 'default_md = sha256' \
        'policy = any' 'copy_extensions = copy' '[any]' 'commonName = supplied' >"$work/ca.cnf"
    : >"$work/index" && echo 01 >"$work/serial"
    local root host address names expired from to entry
    for root in root stranger; do
        openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/$root.key" -days 2 \
            -out "$work/$root.pem" -subj "/CN=Tikora $root" 2>/dev/null
    done
    echo "127.0.0.1 localhost" >"$work/hosts"
    for entry in "${kSources[@]}"; do
        read -r host address names root expired <<<"$entry"
        echo "$address $host" >>"$work/hosts"
        [ -n "$names" ] || continue
        from=$(date -u -d yesterday +%Y%m%d%H%M%SZ) to=$(date -u -d tomorrow +%Y%m%d%H%M%SZ)
        [ -z "$expired" ] || from=20200101000000Z to=20200102000000Z
        openssl req -newkey rsa:2048 -nodes -keyout "$work/$host.key" -out "$work/$host.csr" \
            -subj "/CN=${names%%,*}" -addext "subjectAltName=DNS:${names//,/,DNS:}" 2>/dev/null
        openssl ca -batch -config "$work/ca.cnf" -cert "$work/$root.pem" -startdate "$from" \
            -keyfile "$work/$root.key" -in "$work/$host.csr" -out "$work/$host.pem" \
            -enddate "$to" -notext 2>/dev/null
        tls+=(--tls "$address:$work/$host.pem:$work/$host.key")
    done
    rm -f "$work"/*.csr "$work/root.key" "$work/stranger.key"
}

inside() {
    local tests=$1
    work=$2
    shift 2
    : >"$work/failures"
    isolate_network_and_zone "$work"
    cat "$kBundle" "$work/root.pem" >"$work/bundle.crt"
    mount --bind "$work/bundle.crt" "$kBundle"
    use_overlay_prefix "$work"
    python3 "$here/tls_sources.py" --log "$work/requests.log" --ready "$work/ready" "$@" \
        --plain 127.0.0.12 --plain 127.0.0.13 --plain 127.0.0.14 --plain 127.0.0.15 \
        --moved 127.0.0.16 --proxy 127.0.0.1:3128 --credentials-proxy 127.0.0.1:3129 \
        --map far.test=127.0.0.11 --map far-plain.test=127.0.0.15 &
    trap 'kill $! 2>/dev/null; stop_wineserver' EXIT
    poll_until 100 test -e "$work/ready" || { fail "the sources did not start"; return 0; }
    export TIKORA_TLS_SOURCES=1
    wine "$tests" --gtest_filter=-*Proxy* || fail "the table failed without a proxy"
    # One process each: Wine's WinHTTP pools a connection through a proxy by the proxy's address
    # alone, so a tunnel kept alive for one source would be taken for the next one's.
    http_proxy=127.0.0.1:3128 wine "$tests" --gtest_filter=*/ThroughTheProxy || fail "… a proxy"
    http_proxy=127.0.0.1:3128 wine "$tests" --gtest_filter=*/PlainThroughTheProxy ||
        fail "… a proxy, plain"
    http_proxy=127.0.0.1:9 wine "$tests" --gtest_filter=*Unreachable* || fail "… a closed proxy"
    http_proxy=127.0.0.1:3129 wine "$tests" --gtest_filter=*Credentials* || fail "… credentials"
    grep -q "^credentials proxy GET http://plain-only.test/$" "$work/requests.log" ||
        fail "the proxy that wants credentials was not asked"
    grep -q "^proxy CONNECT far.test:443$" "$work/requests.log" || fail "no tunnel to far.test"
    awk '/^127.0.0.11 connection served/ && $4 >= 10 { kept = 1 } END { exit !kept }' \
        "$work/requests.log" || fail "no narrowing kept its HTTPS connection"
    grep -qF "127.0.0.15 'GET http://far-plain.test/ HTTP/1.0\\r\\nHost: far-plain.test\\r\\n\
Connection: close\\r\\nUser-Agent: GetHTTP 0.0\\r\\nPragma: no-cache\\r\\n\\r\\n'" \
        "$work/requests.log" || fail "the proxied plain request is not the source's own"
}

run_inside_when_rerun "$@"
skip_unless_namespaces_available
work="$(mktemp -d "${TMPDIR:-/tmp}/tikora-https.XXXXXX")"
trap 'rm -rf "$work"' EXIT
tls=()
make_certificates
run_scenario "${1:?tests}" "$work" "${tls[@]}" || { cat "$work/requests.log"; exit 1; }
echo "PASS"
