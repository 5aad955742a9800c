#!/usr/bin/env bash
# Builds the Windows programs for i686 and x86-64, checks the i686 build
# statically and runs the test drivers of the x86-64 build under Wine.
# Prints "ok - name" / "not ok - name" per check and ends with one line
# "N passed, M failed"; exits non-zero when anything failed.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(git -C "$here" rev-parse --show-toplevel 2>/dev/null) || root=$(cd "$here/../.." && pwd)

# Test programs run under Wine, from the x86-64 build's bin folder.
wine_programs=(
  progress_driver.exe
  hook_driver.exe
)

. "$here/tap.sh"
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT

if ! "$here/setup.sh" >"$log" 2>&1; then
  sed 's/^/# /' "$log"
  record 1 "win32 toolchain and Wine installed"
  finish
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)

for arch in x86_64 i686; do
  build="$root/build/win32-$arch"
  if cmake "${generator[@]}" -S "$root/win32" -B "$build" \
         -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-$arch.cmake" \
         -DCMAKE_BUILD_TYPE=Release >"$log" 2>&1 &&
     cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" >>"$log" 2>&1; then
    record 0 "win32 build for $arch"
  else
    sed 's/^/# /' "$log"
    record 1 "win32 build for $arch"
  fi
done

i686_bin="$root/build/win32-i686/bin"
x64_bin="$root/build/win32-x86_64/bin"

if [ -f "$i686_bin/QOR_SkpProgress.exe" ]; then
  tally < <("$root/test/win32/progress/static_checks.sh" "$i686_bin/QOR_SkpProgress.exe" i686 2>&1)
else
  record 1 "i686 QOR_SkpProgress.exe built for the static checks"
fi

run_args=()
for prog in "${wine_programs[@]}"; do
  [ ${#run_args[@]} -gt 0 ] && run_args+=(--)
  run_args+=("$x64_bin/$prog")
done
start=$SECONDS
# tally runs in this shell; the pipeline status comes back through a file.
tally < <("$here/wine-run.sh" "${run_args[@]}" 2>&1; echo $? >"$log")
record "$(cat "$log")" "test programs under Wine exited with 0 ($((SECONDS - start)) s)"

finish
