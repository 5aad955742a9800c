#!/usr/bin/env bash
# Checks that a PE program imports the given window-long call from user32
# and no other SetWindowLong variant.
set -eu
objdump=$1 exe=$2 wanted=$3
imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ {u = (tolower($NF) == "user32.dll"); next} u {print $NF}')
found=$(printf '%s\n' "$imports" | grep -E '^SetWindowLong(Ptr)?[AW]$' || true)
if [ "$found" != "$wanted" ]; then
  echo "check_imports.sh: $exe should import $wanted only, found: ${found:-nothing}" >&2
  exit 1
fi
