#!/usr/bin/env bash
# Sets up (see setup.sh) and runs the main job on the bundled example.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
exec ruby "$root/bin/qor-rooms" "$@"
