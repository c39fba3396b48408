#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, skipping what is already there.
set -euo pipefail

packages=(
    cmake make g++-mingw-w64-i686 googletest clang libclang-rt-14-dev
    wine wine32:i386 wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei
    x11-utils python3 iproute2 util-linux procps libxml2-dev openssl
)

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
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${packages[@]}"
# Where wine32 cannot start, the Windows tests run a 64-bit build (scripts/wine-vars.sh).
source "$(dirname "$0")/wine-vars.sh"
if [ "$TIKORA_WINE_BITS" = 64 ]; then
    install_missing g++-mingw-w64-x86-64
fi
