#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's own 32-bit prefix (CTest's emulator).
source "$(dirname "$0")/wine-vars.sh"
exec wine "$@"
