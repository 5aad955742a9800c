#!/usr/bin/env bash
# Checks that a shared library's only defined dynamic symbol is the given one.
set -eu
lib=$1 entry=$2
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
if [ "$symbols" != "$entry" ]; then
  echo "expected only $entry to be exported from $lib, found:"
  echo "$symbols"
  exit 1
fi
echo "ok - $lib exports only $entry"
