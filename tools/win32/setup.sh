#!/usr/bin/env bash
# Installs the mingw-w64 cross compilers and a headless Wine for the Win32 builds.
# Quiet and quick when everything is already present. Never adds the i386
# architecture or wine32: that breaks the 64-bit wine wrapper on these machines.
set -euo pipefail

packages=(
  gcc-mingw-w64-i686-win32 gcc-mingw-w64-x86-64-win32
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  wine wine64 xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
echo "setup.sh: installing ${missing[*]}" >&2
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
