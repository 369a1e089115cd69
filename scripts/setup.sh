#!/usr/bin/env bash
# One-time (and idempotent) set-up of a fresh Debian 12 machine for building, running and testing
# PeltoClock: packages, the Japanese locale Wine needs for code page 932, and the Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build googletest
  g++-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 xvfb xdotool x11-utils x11-xserver-utils x11-apps imagemagick fonts-ipafont fonts-ipaexfont
  locales chrony faketime iproute2 util-linux
  python3 python3-pytest python3-pil
  clang libclang-rt-14-dev
  strace libx11-dev libxext-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# chrony's package may start its daemon where an init system runs; that daemon would discipline
# the machine's clock. The tests run their own chronyd with -x, so keep the system one stopped.
if pgrep -x chronyd >/dev/null 2>&1 && ! pgrep -f 'chronyd.*-x' >/dev/null; then
  (command -v systemctl >/dev/null && systemctl disable --now chrony) >/dev/null 2>&1 || true
  pkill -x chronyd || true
fi

# Without this locale Wine's ANSI code page is 1252 and the program's Shift-JIS texts break.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

scripts/wine-prefix.sh
