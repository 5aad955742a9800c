#!/usr/bin/env bash
# Checks that a shared library's only exported symbol is the given one.
# Reads ELF (the dynamic symbol table) and Windows PE files (the export
# directory).
set -eu
lib=$1 entry=$2
if [ "$(head -c 2 "$lib")" = MZ ]; then
  symbols=$(objdump -p "$lib" |
    awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && /^$/ {on = 0} on {print $NF}' | sort)
else
  symbols=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
fi
if [ "$symbols" != "$entry" ]; then
  echo "expected only $entry to be exported from $lib, found:"
  echo "$symbols"
  exit 1
fi
echo "ok - $lib exports only $entry"
