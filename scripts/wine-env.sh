# Environment shared by everything that runs Wine for this checkout (sourced, not run).
_pelto_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$_pelto_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono/Gecko install prompts and no desktop menu entries written to the host.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
# ja_JP.UTF-8 makes Wine's ANSI code page 932, the code page the clock's texts are in.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
unset _pelto_root
