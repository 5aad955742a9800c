#!/usr/bin/env bash
# Sets up (see setup.sh) and runs every test: the extension's Ruby tests,
# the same under collector stress, the headless modeller's tests, the export
# check, and the Windows programs under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cd "$root/build/native"
ctest --output-on-failure -j2 "$@"
