#!/usr/bin/env bash
# Creates the Wine prefix of this checkout (build/wineprefix) once: a 64-bit prefix with the
# Japanese fonts standing in for the faces the program and its dialogs ask for.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
# Bump when the settings below change: an older prefix is brought up to date in place.
version=2
[ "$(cat "$WINEPREFIX/.pelto-ready" 2>/dev/null)" = "$version" ] && exit 0

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX"
  "$root/scripts/nocaps" wineboot -i >/dev/null 2>&1 || true
  "$root/scripts/nocaps" wineserver -w
fi

reg="$WINEPREFIX/pelto-fonts.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n'
  printf '"ＭＳ ゴシック"="IPAGothic"\r\n'
  printf '"MS PGothic"="IPAPGothic"\r\n'
  printf '"MS Gothic"="IPAGothic"\r\n'
  printf '"MS UI Gothic"="IPAPGothic"\r\n'
  printf '"MS Shell Dlg"="IPAPGothic"\r\n'
  printf '"MS Shell Dlg 2"="IPAPGothic"\r\n'
  printf '\r\n'
  # Xvfb has no window manager: Wine draws the captions and frames of dialogs itself, as Windows
  # would, so screenshots show them.
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
  printf '"Managed"="N"\r\n'
  printf '"Decorated"="N"\r\n'
  printf '\r\n'
} | iconv -f UTF-8 -t UTF-16 > "$reg"
"$root/scripts/nocaps" wine regedit /S "$reg" >/dev/null 2>&1
"$root/scripts/nocaps" wineserver -w
echo "$version" > "$WINEPREFIX/.pelto-ready"
echo "wine prefix ready: $WINEPREFIX"
