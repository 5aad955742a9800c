#!/usr/bin/env bash
# Builds the release: the five Windows libraries (one per interpreter the
# modeller embeds) and the progress program in both widths, checks each
# library under Wine with its own cross-built interpreter, and writes the
# release folder with its manifest.
#
#   scripts/release.sh [--budget SECONDS | --within SECONDS] [--out DIR] [--no-suites]
#
# --budget: interpreters missing from the cache are built only while they
#   fit in this many seconds (scripts/rubies.sh); a library whose
#   interpreter is missing is named "not checked" and left out.
# --within: the whole run ends within this many seconds: the builds get
#   what is left after the checks' expected time (each row's last time,
#   logged in the cache; 900 s before there is one), a build still running
#   when its budget ends is stopped (and not cached), and the 3.2 build's
#   project suites run only when their last time (1800 s before there is
#   one) fits in what is left.
# --out: the release folder (default build/release/dist).
# --no-suites: leaves out the 3.2 build's project suites and exporter
#   bytes (the longest part); the variant suite and the window hook still
#   run on every interpreter.
#
# Prints "ok - ..." / "not ok - ..." per check, "not checked - ..." for each
# check that had no interpreter, and ends with "N passed, M failed".  Exits
# 1 when a check that ran failed, else 0.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
budget=0 within=0 out="$root/build/release/dist" suites=1
cache=${QOR_RUBIES:-/var/cache/qor-rubies}
while [ $# -gt 0 ]; do
  case "$1" in
    --budget) budget=$2; shift 2 ;;
    --within) within=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --no-suites) suites=0; shift ;;
    -h|--help) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "release.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

# Wine needs a display for the window checks: run the whole script in a
# virtual X server.
if [ -z "${QOR_RELEASE_INNER:-}" ]; then
  "$root/tools/win32/setup.sh" >&2 || exit 1
  export QOR_RELEASE_INNER=1 QOR_RELEASE_START=$(date +%s)
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" --budget "$budget" --within "$within" --out "$out" \
    $([ $suites = 0 ] && echo --no-suites)
fi

# The five rows: library, interpreter version, toolchain, interpreter DLL,
# the window-long call its hook must import.  The 3.2 library is shipped
# built on the UCRT; Wine cannot run that interpreter (scripts/rubies.sh
# says why), so the same source is also built on msvcrt.dll against the
# same interpreter source built the same way, and that build is what runs
# under Wine.
rows=(
  "QORModule_1_8 1.8.7 mingw-i686 msvcrt-ruby18.dll SetWindowLongW"
  "QORModule_2_0_x64 2.0.0 mingw-x86_64 x64-msvcrt-ruby200.dll SetWindowLongPtrW"
  "QORModule_2_2_x64 2.2.10 mingw-x86_64 x64-msvcrt-ruby220.dll SetWindowLongPtrW"
  "QORModule_2_5_x64 2.5.7 mingw-x86_64 x64-msvcrt-ruby250.dll SetWindowLongPtrW"
  "QORModule_3_2_x64 3.2.0 mingw-x86_64-ucrt x64-ucrt-ruby320.dll SetWindowLongPtrW"
)
# The build run under Wine where it is not the shipped one:
# version -> "check-version toolchain dll".
declare -A wine_build=([3.2.0]="3.2.0-msvcrt mingw-x86_64 x64-msvcrt-ruby320.dll")

. "$root/tools/win32/tap.sh"
unchecked=0
unchecked_names=()
not_checked() { echo "not checked - $1"; unchecked=$((unchecked + 1)); unchecked_names+=("$1"); }
work="$root/build/release"
mkdir -p "$work" "$out"
log=$(mktemp)
trap 'rm -f "$log"; wineserver -k >/dev/null 2>&1; rm -rf "${WINEPREFIX:-/nonexistent}"' EXIT

# Interpreters: build what is missing, within the budget (the packages
# first, outside it: an install is never cut short).
"$root/scripts/rubies.sh" --setup 2>&1 | sed 's/^/# /'
started=${QOR_RELEASE_START:-$(date +%s)}
elapsed() { echo $(( $(date +%s) - started )); }
# Each row's time (its libraries built and checked), logged per interpreter
# for the next runs' --within, which count on the longest logged (a row is
# quick when its libraries are built already); before any, a guess for a
# loaded 2-core machine.
times="$cache/release-check-times.log"
check_seconds() { # row's interpreter version, or 3.2.0-suites
  local t
  t=$(awk -v v="$1" '$2 == v && $3 > s {s = $3} END {print s}' "$times" 2>/dev/null)
  if [ -n "$t" ]; then echo "$t"; return; fi
  case $1 in 3.2.0-suites) echo 1800 ;; *) echo 900 ;; esac
}
log_time() { # what seconds
  [ -w "$cache" ] && echo "$(date -u +%FT%TZ) $1 $2" >>"$times"
}
cached() { "$root/scripts/rubies.sh" --estimate "$@" | awk '$2 != 0 {m = 1} END {exit m}'; }
# Interpreters a row needs (the 3.2 row runs on its msvcrt.dll build too),
# most checks first.
units=("3.2.0-msvcrt 3.2.0" "2.5.7" "2.2.10" "2.0.0" "1.8.7")
declare -A unchecked_rows   # built on this run with no time left to check
if [ "$within" -gt 0 ]; then
  # Time kept for the rows that can run already, and the progress program.
  reserve=300
  for unit in "${units[@]}"; do
    cached $unit && reserve=$(( reserve + $(check_seconds "${unit##* }") ))
  done
  for unit in "${units[@]}"; do
    cached $unit && continue
    row=${unit##* }
    build=$("$root/scripts/rubies.sh" --estimate $unit | awk '{s += $2} END {print s}')
    allowed=$(( within - $(elapsed) - reserve - $(check_seconds "$row") ))
    checked=1
    if [ "$build" -gt "$allowed" ]; then
      # No time to check it after: built all the same when the build alone
      # fits, so that the next run finds it.
      allowed=$(( within - $(elapsed) - reserve ))
      checked=0
      if [ "$build" -gt "$allowed" ]; then
        echo "# not built: $unit (about ${build}s to build, ${allowed}s left)"
        continue
      fi
      unchecked_rows[$row]=1
    fi
    # timeout stops the build's whole process group if it overruns.
    timeout -k 30 "$allowed" "$root/scripts/rubies.sh" $unit 2>&1 | sed 's/^/# /'
    case "${PIPESTATUS[0]}" in
      0) [ $checked = 0 ] || reserve=$(( reserve + $(check_seconds "$row") )) ;;
      124|137) echo "# $unit: build stopped at the end of its ${allowed}s (not cached)" ;;
      3) ;;  # not built (no source archive here): its rows are named not checked
      *) record 1 "$unit built (scripts/rubies.sh)" ;;
    esac
  done
else
  "$root/scripts/rubies.sh" ${budget:+--budget "$budget"} 2>&1 | sed 's/^/# /'
  # 3: some left out for the budget (named below as not checked); 1: a build failed.
  [ "${PIPESTATUS[0]}" = 1 ] && record 1 "missing interpreters built (scripts/rubies.sh)"
fi
declare -A prefix_of
while read -r version prefix; do prefix_of[$version]=$prefix; done < <("$root/scripts/rubies.sh" --list)

# One Wine prefix for the whole run (making one takes several seconds).
export WINEPREFIX="$work/wineprefix.$$" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot --init >/dev/null 2>&1

winpath() { echo "Z:$1"; }

# The interpreter's headers and import library: sets hdr, arch and implib.
find_interpreter() { # prefix dll
  local rubyh confh
  rubyh=$(find "$1/include" "$1/lib" -name ruby.h -not -path '*/ruby/ruby.h' 2>/dev/null | head -1)
  # The platform's config.h (3.2 also has ruby/internal/config.h, which
  # includes it): ARCH/ruby/config.h, or ARCH/config.h before 1.9.
  confh=$(find "$1/include" "$1/lib" -name config.h -path '*ruby*' -not -path '*/internal/*' 2>/dev/null | head -1)
  hdr=$(dirname "$rubyh")
  case "$confh" in */ruby/config.h) arch=$(dirname "$(dirname "$confh")") ;; *) arch=$(dirname "$confh") ;; esac
  implib=$(find "$1/lib" -maxdepth 1 -name "lib${2%.dll}.dll.a" | head -1)
}

# The libraries' objects are kept in a compiler cache beside the
# interpreters, with paths taken relative to the checkout, so that a fresh
# clone on a warm machine compiles only what changed.
export CCACHE_DIR="$cache/ccache" CCACHE_BASEDIR="$root" CCACHE_MAXSIZE=2G
launcher=()
command -v ccache >/dev/null && [ -w "$cache" ] && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

build_library() { # variant toolchain [build folder name]
  local dir="$work/${3:-$1}"
  rm -f "$dir/lib/$1.so"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    --toolchain "$root/cmake/toolchains/$2.cmake" -DQOR_BUILD_TESTS=OFF \
    -DQOR_VARIANT="$1" -DQOR_RUBY_INCLUDE_DIRS="$hdr;$arch" -DQOR_RUBY_LIBRARY="$implib" \
    >"$log" 2>&1 &&
  cmake --build "$dir" --target QORModule -j2 >>"$log" 2>&1 && [ -f "$dir/lib/$1.so" ]
}

# The window probe of the hook check, built against the same interpreter
# with the same compiler flags as the library.
driver_option=-sp; driver_option+=ecs=   # gcc's option naming a driver file
build_probe() { # variant toolchain build-folder -> that folder's window_probe.so
  local cxx=x86_64-w64-mingw32-g++ flags=()
  case $2 in
    mingw-i686) cxx=i686-w64-mingw32-g++ ;;
    mingw-x86_64-ucrt) flags=("$driver_option$3/ucrt-driver.txt" -D_UCRT -D__MSVCRT_VERSION__=0x0E00) ;;
  esac
  "$cxx" "${flags[@]}" -shared -O1 -std=gnu++17 -isystem "$hdr" -isystem "$arch" \
    "$root/test/release/window_probe.cpp" "$implib" -luser32 -static-libgcc -static-libstdc++ \
    -o "$3/window_probe.so" >"$log" 2>&1
}

declare -A checked_on
# Builds the library against one interpreter and checks it statically.
build_and_check() { # variant toolchain dll window-long folder
  if build_library "$1" "$2" "$5"; then
    record 0 "$5 built"
    warnings=$(grep -c 'warning:' "$log")
    [ "$warnings" -eq 0 ] || grep -A3 'warning:' "$log" | sed 's/^/# /'
    record "$([ "$warnings" -eq 0 ] && echo 0 || echo 1)" "$5 built without warnings ($warnings)"
  else
    sed 's/^/# /' "$log" | tail -40
    record 1 "$5 built"
    return 1
  fi
  tally < <("$root/test/tools/check_exports.sh" "$work/$5/lib/$1.so" "Init_$1" 2>&1)
  tally < <("$root/test/tools/check_pe_imports.sh" "$work/$5/lib/$1.so" "$3" "$4" 2>&1)
}

# Where Wine cannot run a library, the variant suite runs on the native
# Linux build of the same interpreter source, against a Linux build of the
# same variant from the same source: not the shipped file, but the same
# interpreter version and the same code paths but the window calls.
linux_variant_suite() { # variant version
  local base=${prefix_of[$2-native]:-} dir="$work/$1-linux" status
  if [ -z "$base" ]; then
    not_checked "$1: variant suite on Linux (no native $2 in the cache)"
    return
  fi
  find_interpreter "$base" none
  if ! { cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_TESTS=OFF "${launcher[@]}" \
           -DQOR_VARIANT="$1" -DQOR_RUBY_INCLUDE_DIRS="$hdr;$arch" >"$log" 2>&1 &&
         cmake --build "$dir" --target QORModule -j2 >>"$log" 2>&1; }; then
    sed 's/^/# /' "$log" | tail -40
    record 1 "$1: built for Linux against the native $2"
    return
  fi
  "$base/bin/ruby" "$root/test/release/variants.rb" "$dir/lib/$1.so" >"$log" 2>&1
  status=$?
  tally <"$log"
  record $status "$1: variant suite on Linux on $("$base/bin/ruby" -e 'print RUBY_VERSION, "p", RUBY_PATCHLEVEL, " ", RUBY_PLATFORM')"
  [ $status -eq 0 ] && checked_on[$1]="not under Wine (32-bit); its variant suite on Linux on $2 passed"
}

# One row: its library built against its interpreter and checked.
# Returns 3 when it had no interpreter, 2 when a check had none.
check_row() {
  read -r variant version toolchain dll window_long <<<"$1"
  prefix=${prefix_of[$version]:-}
  if [ -z "$prefix" ]; then
    not_checked "$variant: no $version interpreter in the cache (scripts/rubies.sh $version)"
    [ "$toolchain" = mingw-i686 ] && linux_variant_suite "$variant" "$version"
    return 3
  fi
  if [ -n "${unchecked_rows[$version]:-}" ]; then
    not_checked "$variant: its interpreter was built on this run, with no time left to check it"
    return 3
  fi
  find_interpreter "$prefix" "$dll"
  build_and_check "$variant" "$toolchain" "$dll" "$window_long" "$variant" || return 1
  cp "$work/$variant/lib/$variant.so" "$out/"

  # Debian's 64-bit Wine runs 32-bit programs only with wine32:i386, which
  # this project does not install (it upgrades much of the machine's amd64
  # side to match, and changes the loader the other Wine tests use).
  if [ "$toolchain" = mingw-i686 ] && [ ! -x /usr/lib/wine/wine ]; then
    not_checked "$variant under Wine: this Wine runs no 32-bit program (Debian's wine32:i386 is not installed)"
    linux_variant_suite "$variant" "$version"
    return 2
  fi

  # The build that runs under Wine: the shipped one, or its stand-in.
  folder=$variant
  if [ -n "${wine_build[$version]:-}" ]; then
    read -r check_version check_toolchain check_dll <<<"${wine_build[$version]}"
    prefix=${prefix_of[$check_version]:-}
    if [ -z "$prefix" ]; then
      not_checked "$variant under Wine: no $check_version interpreter in the cache (scripts/rubies.sh $check_version)"
      return 2
    fi
    folder="$variant-$check_version"
    find_interpreter "$prefix" "$check_dll"
    build_and_check "$variant" "$check_toolchain" "$check_dll" "$window_long" "$folder" || return 1
    toolchain=$check_toolchain
  fi
  file="$work/$folder/lib/$variant.so"
  ruby_exe="$prefix/bin/ruby.exe"
  actual=$(wine "$ruby_exe" --disable-gems -e 'print RUBY_VERSION, "p", RUBY_PATCHLEVEL, " ", RUBY_PLATFORM' 2>&1 | tr -d '\r')
  wine "$ruby_exe" --disable-gems "$(winpath "$root/test/release/variants.rb")" "$(winpath "$file")" >"$log" 2>&1
  status=$?
  tally <"$log"
  record $status "$variant: variant suite under Wine on $actual"
  [ $status -eq 0 ] && checked_on[$variant]=$actual
  [ $status -eq 0 ] && [ "$folder" != "$variant" ] && checked_on[$variant]="$actual, its msvcrt.dll build (the UCRT one cannot run under Wine)"

  # The window hook on a real window.
  if build_probe "$variant" "$toolchain" "$work/$folder"; then
    wine "$ruby_exe" --disable-gems "$(winpath "$root/test/release/window_hook.rb")" "$(winpath "$file")" \
      "$(winpath "$work/$folder/window_probe.so")" >"$log" 2>&1
    status=$?
    tally <"$log"
    record $status "$variant: window hook on a real window under Wine"
    [ $status -eq 0 ] || unset "checked_on[$variant]"
  else
    sed 's/^/# /' "$log" | tail -20
    record 1 "$variant: window probe built"
  fi
  if [ $suites = 1 ] && [ "$version" = 3.2.0 ]; then
    # Within a time limit they run only when their last time fits in what
    # is left (the progress program kept aside).
    expected=$(check_seconds 3.2.0-suites) left=$(( within - $(elapsed) - 120 ))
    if [ "$within" -gt 0 ] && [ "$expected" -gt "$left" ]; then
      not_checked "$variant: the project's suites and exporter bytes under Wine (about ${expected}s, ${left}s left)"
    else
      local t0=$(date +%s)
      tally < <("$root/test/release/windows_suites.sh" "$prefix" "$work/$folder/lib" 2>&1)
      suites_took=$(( $(date +%s) - t0 ))
      log_time 3.2.0-suites $suites_took
    fi
  fi
}
for row in "${rows[@]}"; do
  t0=$(date +%s) suites_took=0
  check_row "$row"
  # A row's own time, without the 3.2 suites (logged apart).
  [ $? = 3 ] || log_time "$(echo "$row" | cut -d' ' -f2)" $(( $(date +%s) - t0 - suites_took ))
done

# The progress program, both widths.
for arch in i686 x86_64; do
  b="$work/win32-$arch"
  if cmake -S "$root/win32" -B "$b" --toolchain "$root/cmake/toolchains/mingw-$arch.cmake" \
       -DCMAKE_BUILD_TYPE=Release >"$log" 2>&1 &&
     cmake --build "$b" --target QOR_SkpProgress -j2 >>"$log" 2>&1; then
    record 0 "progress program built for $arch"
    mkdir -p "$out/$arch"
    cp "$b/bin/QOR_SkpProgress.exe" "$out/$arch/"
  else
    sed 's/^/# /' "$log" | tail -20
    record 1 "progress program built for $arch"
  fi
done

# The manifest: what each file is and what it was checked on.
{
  echo "# Release manifest"
  echo
  echo "| file | size | SHA-256 | entry | interpreter DLL | checked on |"
  echo "|---|---|---|---|---|---|"
  for row in "${rows[@]}"; do
    read -r variant version toolchain dll window_long <<<"$row"
    f="$out/$variant.so"
    [ -f "$f" ] || { echo "| $variant.so | - | - | Init_$variant | $dll | not built: no $version interpreter |"; continue; }
    echo "| $variant.so | $(stat -c %s "$f") | $(sha256sum "$f" | cut -c1-64) | Init_$variant | $dll | ${checked_on[$variant]:-not checked (failed)} |"
  done
  for arch in i686 x86_64; do
    f="$out/$arch/QOR_SkpProgress.exe"
    [ -f "$f" ] && echo "| $arch/QOR_SkpProgress.exe | $(stat -c %s "$f") | $(sha256sum "$f" | cut -c1-64) | - | - | - |"
  done
  echo
  echo "Checks: $passed passed, $failed failed, $unchecked not checked."
  if [ $unchecked -gt 0 ]; then
    echo
    echo "Not checked on this run:"
    echo
    for n in "${unchecked_names[@]}"; do echo "- $n"; done
  fi
} >"$out/MANIFEST.md"
echo "# manifest: $out/MANIFEST.md"

[ $unchecked -gt 0 ] && echo "# $unchecked release checks not run for want of an interpreter (named above)"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
