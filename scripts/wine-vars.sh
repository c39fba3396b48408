# Shared Wine settings: the project's own 32-bit prefix, kept out of the user's ~/.wine.
export WINEARCH=win32
export WINEPREFIX="${TIKORA_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/quelan-tikora/wine32}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
