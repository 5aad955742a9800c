#!/usr/bin/env bash
# Runs Ruby tests under valgrind and fails on memory errors that involve the
# extension.  The interpreter's own collector reads uninitialised stack words
# by design (it scans the stack conservatively), so only errors whose stack
# passes through the extension count, and leaks only when definitely lost
# from memory the extension allocated.
#   memcheck.sh <extension library> <test file or folder>...
set -uo pipefail
lib=$1; shift
here=$(cd "$(dirname "$0")/.." && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

if ! command -v valgrind >/dev/null; then
  echo "valgrind is not installed"
  exit 1
fi
name=$(basename "$lib")
QOR_MODULE_DIR=$(dirname "$lib") valgrind --leak-check=full --show-leak-kinds=definite \
  --num-callers=30 --error-limit=no --log-file="$log" ruby "$here/run.rb" "$@"
rc=$?
if [ $rc -ne 0 ]; then
  echo "tests failed under valgrind (exit $rc)"
  exit 1
fi
# One record per error: a header line, then its stack, ended by a blank line.
# Error headers start with a word ("Invalid read ..."), leak headers with a
# byte count ("48 (16 direct, 32 indirect) bytes in 1 blocks are ...").
# A leak counts when its stack passes through the extension and the block
# was not allocated by the interpreter itself (site: the first frame below
# the allocator): the interpreter does not free its objects' memory at exit,
# and that is the collector's business, not ours.  Memory the extension
# allocates once while loading (its entry function) lives as long as the
# process: not a leak either.
bad=$(awk -v lib="$name" '
  function ours(text) { return index(text, lib) > 0 || text ~ /qor::|Init_QORModule/ }
  function loading(text) { return text ~ /Init_QORModule|qor::init_|qor::register_/ }
  /^==[0-9]+== ([A-Z]|[0-9,]+ (\([^)]*\) )?bytes in )/ { hdr = $0; top = ""; site = ""; stack = ""; inrec = 1; next }
  inrec && /^==[0-9]+== +at / { top = $0; stack = $0; if ($0 !~ /vgpreload/) site = $0; next }
  inrec && /^==[0-9]+== +by / { stack = stack "\n" $0; if (site == "") site = $0; next }
  inrec && /^==[0-9]+== *$/ {
    invalid = hdr ~ /Invalid|Mismatched|definitely lost|overlap/
    leak = hdr ~ /bytes in /
    if (leak && (loading(stack) || site ~ /libruby/)) { inrec = 0; next }
    if ((invalid && ours(stack)) || ours(top)) print hdr "\n" stack "\n"
    inrec = 0
  }' "$log")
if [ -n "$bad" ]; then
  echo "memory errors through $name:"
  echo "$bad" | head -n 80
  exit 1
fi
echo "ok - no memory errors through $name"
