#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, skipping what is already there.
set -euo pipefail

packages=(
    cmake make g++-mingw-w64-i686 googletest clang libclang-rt-14-dev
    wine wine32:i386 wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei
    x11-utils python3 iproute2 util-linux procps libxml2-dev openssl
)
readonly kUpdateTries=4
readonly kUpdatePauseSeconds=15
update_errors="$(mktemp)"
trap 'rm -f "$update_errors"' EXIT

# apt-get update fails (status 100) when one index does not match its Release file, which is
# what a mirror shows in the middle of a sync; a later try usually finds the sync done. After the
# last try the install is attempted all the same: apt keeps the indexes it had.
update_package_lists() {
    local try
    for try in $(seq "$kUpdateTries"); do
        if apt-get update -qq 2>"$update_errors"; then
            return 0
        fi
        if [ "$try" -lt "$kUpdateTries" ]; then
            echo "apt-get update failed (try $try of $kUpdateTries); trying again in" \
                "$kUpdatePauseSeconds s:" >&2
            grep '^E:' "$update_errors" | head -n 3 >&2 || true
            sleep "$kUpdatePauseSeconds"
        fi
    done
    echo "apt-get update still fails; installing from the package lists apt has:" >&2
    grep '^E:' "$update_errors" | head -n 3 >&2 || true
}

# Libraries that exist once per architecture (Multi-Arch: same) must have one version in both;
# an index left out by a failed update makes the i386 candidates older than the amd64 ones, and
# wine32:i386 then cannot be installed ("held broken packages"). Prints each such library.
mismatched_architectures() {
    local native same
    native="$(dpkg --print-architecture)"
    mapfile -t same < <(dpkg-query -W -f '${Package} ${Multi-Arch}\n' | awk '$2 == "same" { print $1 }')
    [ ${#same[@]} -eq 0 ] && return 0
    apt-cache policy "${same[@]/%/:$native}" "${same[@]/%/:i386}" 2>/dev/null | awk -v native="$native" '
        /^[^ ]/ { name = $1; sub(/:$/, "", name); arch = native
                  if (name ~ /:/) { arch = name; sub(/.*:/, "", arch); sub(/:.*/, "", name) } }
        /^  Candidate:/ { candidate[name, arch] = $2; names[name] = 1 }
        END { for (name in names) {
                  a = candidate[name, native]; b = candidate[name, "i386"]
                  if (a != "" && b != "" && a != "(none)" && b != "(none)" && a != b)
                      printf "  %s: %s for %s, %s for i386\n", name, a, native, b } }'
}

explain_install_failure() {
    local mismatched
    mismatched="$(mismatched_architectures)"
    echo >&2
    echo "The packages could not be installed." >&2
    if [ -n "$mismatched" ]; then
        echo "The package indexes give these libraries different versions for the two" \
            "architectures, so the i386 ones (needed by wine32) cannot sit beside the installed ones:" >&2
        echo "$mismatched" >&2
    fi
    if [ -s "$update_errors" ]; then
        echo "apt-get update could not read every index of the archive, most likely because a" \
            "mirror is in the middle of a sync:" >&2
        grep '^E:' "$update_errors" | head -n 3 >&2 || true
    fi
    echo "Nothing was changed in your package sources. Run the same command again later," \
        "once the mirror has finished its sync (for example: bash scripts/test.sh)." >&2
}

install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    update_package_lists
    if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
        explain_install_failure
        exit 1
    fi
}

install_missing "${packages[@]}"
# Where wine32 cannot start, the Windows tests run a 64-bit build (scripts/wine-vars.sh).
source "$(dirname "$0")/wine-vars.sh"
if [ "$TIKORA_WINE_BITS" = 64 ]; then
    install_missing g++-mingw-w64-x86-64
fi
