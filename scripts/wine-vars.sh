# Shared Wine settings: the project's own prefix, kept out of the user's ~/.wine.
#
# The program is 32-bit and its tests run it under wine32 in a 32-bit prefix. Some machines
# (kernels or virtual machines without 32-bit support) cannot execute wine32's loader at all
# ("Exec format error"): there the Windows tests run a 64-bit build of the same sources
# (build/windows64) under wine64 in a 64-bit prefix instead. TIKORA_WINE_BITS=32 or 64 chooses.
tikora_wine_bits() {
    if [ -n "${TIKORA_WINE_BITS:-}" ]; then
        echo "$TIKORA_WINE_BITS"
    elif [ ! -x /usr/lib/wine/wine ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo 32
    else
        echo 64
    fi
}
TIKORA_WINE_BITS="$(tikora_wine_bits)"
export TIKORA_WINE_BITS
if [ "$TIKORA_WINE_BITS" = 64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    tikora_scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
    case ":$PATH:" in
    *":$tikora_scripts/wine64:"*) ;;
    *) export PATH="$tikora_scripts/wine64:$PATH" ;;
    esac
    export WINEPREFIX="${TIKORA_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/quelan-tikora/wine64}"
else
    export WINEARCH=win32
    export WINEPREFIX="${TIKORA_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/quelan-tikora/wine32}"
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
