#!/usr/bin/env bash
# Runs Windows programs under Wine, headless, in one throw-away prefix.
#
# Usage: wine-run.sh prog1.exe [args...] [-- prog2.exe [args...]]...
#
# The programs run one after another in the same X server and prefix (creating
# a prefix takes several seconds, so a test run shares one). Their output goes
# to this script's stdout/stderr. Exits non-zero if any program failed; the
# prefix is removed and its wineserver stopped whatever happens.
set -euo pipefail

if [ $# -eq 0 ] || [ "$1" = -- ]; then
  echo "usage: wine-run.sh prog.exe [args...] [-- prog2.exe [args...]]..." >&2
  exit 2
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
export WINEPREFIX="$scratch/pfx"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  # wineserver may still hold files for a moment after being told to stop.
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs inside xvfb-run: boots the prefix, then each command in turn.
inner='
  wine wineboot --init >/dev/null 2>&1 || { echo "wine-run.sh: wineboot failed" >&2; exit 1; }
  status=0
  cmd=()
  run() {
    [ ${#cmd[@]} -gt 0 ] || return 0
    wine "${cmd[@]}" || { echo "wine-run.sh: ${cmd[0]} exited with $?" >&2; status=1; }
    cmd=()
  }
  for arg in "$@"; do
    if [ "$arg" = -- ]; then run; else cmd+=("$arg"); fi
  done
  run
  wineserver -k >/dev/null 2>&1 || true
  exit $status
'
xvfb-run -a bash -c "$inner" wine-run "$@"
