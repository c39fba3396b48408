# Sourced by the benchmarks and the end-to-end tests: a throwaway certificate authority, made at
# run time, that signs one certificate for the built-in host names and is trusted only inside a
# private mount namespace. Its keys live in the run's work folder and go with it.
# shellcheck shell=bash

readonly kSystemBundle=/etc/ssl/certs/ca-certificates.crt
readonly kCertificateDays=2

# openssl makes the certificates, and the system bundle must exist for a copy of it to stand in
# for it: both from Debian when missing.
require_openssl() {
    local missing=()
    command -v openssl >/dev/null || missing+=(openssl)
    [ -e "$kSystemBundle" ] || missing+=(ca-certificates)
    if [ "${#missing[@]}" -gt 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" >&2
    fi
}

# In folder: root.crt (a new root), server.crt and server.key (a certificate for every host
# named after the folder, signed by it) and ca-bundle.crt (the system bundle plus the root).
# The root's key is removed at once: nothing else is ever signed with it.
make_test_certificates() {
    local folder=$1 host names=""
    shift
    for host in "$@"; do
        names+="${names:+,}DNS:$host"
    done
    mkdir -p "$folder"
    (
        cd "$folder" || exit 1
        openssl req -x509 -newkey rsa:2048 -nodes -days "$kCertificateDays" \
            -subj "/CN=QuelanTikora benchmark root $(date -u +%s)" \
            -addext "basicConstraints=critical,CA:TRUE" \
            -addext "keyUsage=critical,keyCertSign,cRLSign" \
            -keyout root.key -out root.crt 2>/dev/null
        openssl req -new -newkey rsa:2048 -nodes -subj "/CN=$1" \
            -keyout server.key -out server.csr 2>/dev/null
        printf '%s\n' "basicConstraints=critical,CA:FALSE" \
            "keyUsage=critical,digitalSignature,keyEncipherment" \
            "extendedKeyUsage=serverAuth" "subjectAltName=$names" >server.ext
        openssl x509 -req -in server.csr -CA root.crt -CAkey root.key -CAcreateserial \
            -days "$kCertificateDays" -extfile server.ext -out server.crt 2>/dev/null
        rm -f root.key root.srl server.csr server.ext
        cat "$kSystemBundle" root.crt >ca-bundle.crt
    )
    [ -s "$folder/server.crt" ] || {
        echo "openssl could not make the test certificates" >&2
        exit 1
    }
}

# Inside the mount namespace, before the wineserver starts: the system bundle, which Wine's
# crypt32 and Python's ssl read, is the copy with the test root in it.
trust_test_root() {
    mount --bind "$1/ca-bundle.crt" "$kSystemBundle"
}
