#!/usr/bin/env bash
# Installs what the project needs on a Debian machine (as root), then
# configures and builds the room extension.  Idempotent; quiet when all is
# already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# libxml2-utils: schema checks of the export; chromium: the preview's browser test;
# ruby-stackprof: the sampled benchmark of the export
packages=(ruby ruby-dev ruby-minitest ruby-nokogiri ruby-stackprof cmake g++ make binutils valgrind libxml2-utils chromium)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build="$root/build/native"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QOR_CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$build" -j"$(nproc)" | grep -vE '^\[|^Consolidate|^-- ' || true
