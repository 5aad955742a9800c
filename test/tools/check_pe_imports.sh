#!/usr/bin/env bash
# Checks the DLLs a Windows library imports: exactly the given interpreter
# DLL, and otherwise only DLLs every Windows has (no compiler runtime such
# as libstdc++-6.dll or libgcc_s_*.dll, which users do not have).
#
#   check_pe_imports.sh LIBRARY INTERPRETER_DLL [FUNCTION...]
#
# Each FUNCTION must be among the imports too (for example the window-long
# call a build must use).
set -eu
lib=$1 interpreter=$2
shift 2
dump=$(objdump -p "$lib")
dlls=$(echo "$dump" | awk '/DLL Name:/ {print $3}')
status=0
system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|comctl32|ws2_32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'
found_interpreter=0
for d in $dlls; do
  lower=$(echo "$d" | tr 'A-Z' 'a-z')
  if [ "$lower" = "$(echo "$interpreter" | tr 'A-Z' 'a-z')" ]; then
    found_interpreter=1
  elif ! echo "$lower" | grep -Eq "$system"; then
    echo "$lib imports $d, which is neither $interpreter nor a system DLL"
    status=1
  fi
done
if [ $found_interpreter = 0 ]; then
  echo "$lib does not import $interpreter (imports: $(echo $dlls))"
  status=1
fi
for f in "$@"; do
  if ! echo "$dump" | grep -Eq "^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+$f\$"; then
    echo "$lib does not import $f"
    status=1
  fi
done
[ $status = 0 ] && echo "ok - $lib imports $interpreter and system DLLs only${*:+ (and $*)}"
exit $status
