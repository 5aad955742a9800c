#!/usr/bin/env bash
# Builds the Windows interpreters the release libraries are checked on, from
# the source archives in ../shared/ruby-sources, cross-compiled with Debian's
# mingw-w64.  The old ones first get a native Linux build of the same version:
# their build runs its own scripts on a base interpreter of that version.
#
# Each interpreter lands in $QOR_RUBIES (default /var/cache/qor-rubies) under
# a key made of the archive's SHA-256, the flags below and the compiler's
# version, so a changed archive, flag or compiler builds anew and everything
# else is reused.  Idempotent; quiet when all is there.
#
#   scripts/rubies.sh [--budget SECONDS] [--list] [--setup] [VERSION...]
#
# VERSION is one of 1.8.7 2.0.0 2.2.10 2.5.7 3.2.0 (default: all five), or
# 3.2.0-msvcrt: the same 3.2 source on msvcrt.dll, which Wine can run (see
# below) and the release checks use for the 3.2 library.
# --budget: start no build whose logged (or estimated) time would run past
# the budget; what is left is named on standard error and the exit status
# is 3.  --list: print "VERSION PREFIX" for every interpreter already built,
# and "VERSION-native PREFIX" for every native base.
# --setup: only install the Debian packages the builds need.
# --estimate: print "VERSION SECONDS" for each one, the expected time to
# build what of it is missing (0 when it is built).
# Build times go to $QOR_RUBIES/build-times.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${QOR_RUBIES:-/var/cache/qor-rubies}
# The source archives: beside the checkout, else the copies the cache
# keeps of them (a clone elsewhere on a machine that built before finds its
# interpreters by the same keys).
sources=${QOR_RUBY_SOURCES:-}
if [ -z "$sources" ] && [ -d "$root/../shared/ruby-sources" ]; then
  sources=$(cd "$root/../shared/ruby-sources" && pwd)
  if mkdir -p "$cache/sources" 2>/dev/null && [ -w "$cache/sources" ]; then
    cp -n "$sources"/ruby-*.tar.xz "$cache/sources/" 2>/dev/null || true
  fi
fi
[ -n "$sources" ] || sources=$cache/sources
jobs=${QOR_JOBS:-2}

budget=0 list=0 setup=0 estimate=0 wanted=()
while [ $# -gt 0 ]; do
  case "$1" in
    --budget) budget=$2; shift 2 ;;
    --list) list=1; shift ;;
    --setup) setup=1; shift ;;
    --estimate) estimate=1; shift ;;
    -h|--help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) wanted+=("$1"); shift ;;
  esac
done
# Most checks first: within a budget, the build the 3.2 checks run on
# comes before the rest.
[ ${#wanted[@]} -gt 0 ] || wanted=(3.2.0-msvcrt 3.2.0 2.5.7 2.2.10 2.0.0 1.8.7)

# Per version: archive, cross host, C runtime, whether a native base is built,
# and the extensions the checks need (the variant suite needs none; the 3.2
# build also runs the project's own suites and the exporter).
archive()  { case $1 in 1.8.7) echo ruby-1.8.7-p377.tar.xz ;; 2.0.0) echo ruby-2.0.0-p648.tar.xz ;; *) echo "ruby-${1%-msvcrt}.tar.xz" ;; esac; }
# The 3.2 interpreter on the UCRT stops at once under Wine ("unexpected
# ucrtbase.dll"): it finds the C runtime's private descriptor table by
# matching the machine code of the vendor's ucrtbase.dll, which Wine's own
# ucrtbase.dll does not have.  So the 3.2 checks run on the same source
# built on msvcrt.dll, whose table Wine exports as the interpreter expects.
base_of()  { case $1 in 3.2.0*) echo /usr/bin/ruby ;; *) echo "$(prefix_of "$1" native)/bin/ruby" ;; esac; }
needs_native() { case $1 in 3.2.0*) return 1 ;; *) return 0 ;; esac; }
host_of()  { case $1 in 1.8.7) echo i686-w64-mingw32 ;; *) echo x86_64-w64-mingw32 ;; esac; }
crt_of()   { case $1 in 3.2.0) echo ucrt ;; *) echo msvcrt ;; esac; }
exts_of()  {
  case $1 in
    3.2.0|3.2.0-msvcrt) echo 'json*,stringio,strscan,etc,zlib,monitor,pathname,io/console,cgi/escape,rbconfig/sizeof' ;;
    *) echo '' ;;
  esac
}
# The old sources predate this compiler: C99 semantics they assume, common
# symbols, no optimisation-sensitive surprises in the base interpreter.
old_cflags='-O1 -g0 -std=gnu99 -fcommon -fno-strict-aliasing -Wno-error -w'
cross_cflags() { case $1 in 3.2.0*) echo '-O2 -g0' ;; *) echo "$old_cflags" ;; esac; }
native_cflags() { echo "$old_cflags"; }
# 1.8.7 calls clock_gettime where the headers define CLOCK_MONOTONIC; on
# mingw-w64 it lives in winpthread, linked in statically.
# 2.0 to 2.5 compile with _FORTIFY_SOURCE, whose checked copies
# (__memcpy_chk...) live in the stack protector's library: linked in
# statically too.
cross_libs() { case $1 in 1.8.7) echo '-l:libwinpthread.a' ;; 2.*) echo '-l:libssp.a' ;; esac; }

log() { echo "rubies: $*" >&2; }

compiler_id() { "$1-gcc" --version | head -1; }

# The UCRT: Debian's mingw-w64 is built for msvcrt.dll, but ships the UCRT's
# import library.  A compiler driver file that links it in place of msvcrt's, with the
# headers told they target the UCRT, gives programs importing only the UCRT
# (api-ms-win-crt-*.dll).  The toolchain's own static libraries (libmingwex,
# libgcc, libstdc++) stay compiled against msvcrt's headers.
ucrt_driver() {
  local host=$1 driver="$cache/toolchain/$1-ucrt-driver.txt"
  mkdir -p "$cache/toolchain"
  if [ ! -s "$driver" ]; then
    "$host-gcc" -dumpspecs | sed 's/-lmsvcrt/-lucrt/g' > "$driver.tmp"
    mv "$driver.tmp" "$driver"
  fi
  echo "$driver"
}
driver_option=-sp; driver_option+=ecs=   # gcc's option naming a driver file
crt_cc_flags() { # host crt -> extra compiler flags
  if [ "$2" = ucrt ]; then echo "$driver_option$(ucrt_driver "$1") -D_UCRT -D__MSVCRT_VERSION__=0x0E00"; fi
}

key_of() { # version kind -> cache key
  local v=$1 kind=$2 sum flags cc
  sum=$(sha256sum "$sources/$(archive "$v")" | cut -c1-64)
  if [ "$kind" = native ]; then
    flags="native $(native_cflags "$v")"; cc=$(gcc --version | head -1)
  else
    flags="cross $(host_of "$v") $(crt_of "$v") $(cross_cflags "$v") exts=$(exts_of "$v")"
    [ -n "$(cross_libs "$v")" ] && flags="$flags libs=$(cross_libs "$v")"
    cc=$(compiler_id "$(host_of "$v")")
  fi
  printf '%s\n%s\n%s\n' "$sum" "$flags" "$cc" | sha256sum | cut -c1-12
}
prefix_of() { echo "$cache/$2-$1-$(key_of "$1" "$2")"; }


# Logged build time of the last build of this kind, else an estimate for a
# 2-core machine shared with other work (times seen on one with a load of
# 6 to 14).
expected_seconds() {
  local v=$1 kind=$2 t
  t=$(awk -v v="$v" -v k="$kind" '$2==v && $3==k {s=$4} END {print s}' "$cache/build-times.log" 2>/dev/null)
  if [ -n "$t" ]; then echo "$t"; return; fi
  case "$kind:$v" in
    native:1.8.7) echo 300 ;; native:*) echo 1500 ;;
    cross:1.8.7) echo 900 ;; *) echo 1500 ;;
  esac
}

started=$(date +%s)
fits() { # seconds -> whether it fits in the budget
  [ "$budget" = 0 ] && return 0
  [ $(( $(date +%s) - started + $1 )) -le "$budget" ]
}

unpack() { # version dir kind
  rm -rf "$2"; mkdir -p "$2"
  tar xJf "$sources/$(archive "$1")" -C "$2" --strip-components=1
  # The old interpreters are checked with plain Ruby: none of their
  # extensions is built (their option parsing differs by version), but for
  # the few a base interpreter's install scripts load.
  if [ -z "$(exts_of "$1")" ]; then
    local keep='^$'
    [ "$3" = native ] && keep='^(thread|etc|stringio|strscan|digest)$'
    for d in "$2"/ext/*/; do
      case "$3:$(basename "$d")" in
        # digest's configuration loads a file of openssl's, which is not built.
        native:openssl) find "$d" -mindepth 1 -not -name deprecation.rb -delete ;;
        *) basename "$d" | grep -Eq "$keep" || rm -rf "$d" ;;
      esac
    done
  fi
  if [ ! -f "$2/configure" ]; then
    ( cd "$2"
      if [ -x ./autogen.sh ]; then ./autogen.sh >/dev/null
      else autoconf2.69 >/dev/null; fi )
  fi
}

with_exts() { # version -> configure option choosing the extensions
  local e; e=$(exts_of "$1")
  if [ -n "$e" ]; then echo "--with-ext=$e"; fi
}

# Is the interpreter in prefix usable: its program and its configuration?
installed() { # prefix program
  [ -x "$1/$2" ] && [ -n "$(find "$1/lib" -name rbconfig.rb | head -1)" ]
}

build_native() { # version
  local v=$1 prefix src t0
  prefix=$(prefix_of "$v" native)
  [ -f "$prefix/.built" ] && return 0
  src="$cache/build/native-$v"
  log "building native $v into $prefix"
  t0=$(date +%s)
  unpack "$v" "$src" native
  ( cd "$src"
    ./configure --prefix="$prefix" --disable-install-doc --disable-shared \
      $(with_exts "$v") CFLAGS="$(native_cflags "$v")" >configure.log 2>&1
    make -j"$jobs" >make.log 2>&1
    # The install ends with the default gems' records, which need
    # the extensions left out; what the base is used for is there by then.
    make install >install.log 2>&1 || installed "$prefix" bin/ruby
  ) || { log "native $v failed: see $src/*.log"; return 1; }
  touch "$prefix/.built"
  echo "$(date -u +%FT%TZ) $v native $(( $(date +%s) - t0 ))" >> "$cache/build-times.log"
  rm -rf "$src"
}

# The compiler's runtime DLLs the interpreter imports (its build links the
# stack protector's libssp-0.dll) go beside it.  The interpreter is only
# the check's host: the release libraries themselves import none.
runtime_dlls() { # prefix host
  local dll
  for dll in $(objdump -p "$1"/bin/*.dll "$1"/bin/*.exe 2>/dev/null | awk '/DLL Name: lib/ {print $3}' | sort -u); do
    [ -f "$1/bin/$dll" ] && continue
    [ -f "/usr/lib/gcc/$2/$(gcc_dir "$2")/$dll" ] && cp "/usr/lib/gcc/$2/$(gcc_dir "$2")/$dll" "$1/bin/"
  done
  return 0
}
gcc_dir() { basename "$(dirname "$("$1-gcc" -print-libgcc-file-name)")"; }

build_cross() { # version
  local v=$1 host crt prefix src base cc t0
  host=$(host_of "$v"); crt=$(crt_of "$v")
  prefix=$(prefix_of "$v" cross)
  [ -f "$prefix/.built" ] && return 0
  base=$(base_of "$v")
  src="$cache/build/cross-$v"
  log "building $v for $host ($crt) into $prefix"
  t0=$(date +%s)
  unpack "$v" "$src" cross
  cc="$host-gcc $(crt_cc_flags "$host" "$crt")"
  ( cd "$src"
    # No rubygems settings of this machine's interpreter leak into the install.
    export GEM_HOME="$src/.gem" GEM_PATH="$src/.gem" RUBYOPT=
    # 1.8.7 finds its base interpreter in RUBY, later ones by --with-baseruby.
    RUBY="$base" ./configure --host="$host" --target="$host" --build=x86_64-linux-gnu \
      --prefix="$prefix" --enable-shared --disable-install-doc \
      --with-baseruby="$base" $(with_exts "$v") \
      CC="$cc" CXX="$host-g++ $(crt_cc_flags "$host" "$crt")" \
      CFLAGS="$(cross_cflags "$v")" LDFLAGS="-static-libgcc" LIBS="$(cross_libs "$v")" \
      >configure.log 2>&1
    # 1.8.7's makefile links its programs before all their objects are
    # built when run in parallel.
    # The base interpreter runs with the build folder on its load path: its
    # rubygems would load the new rbconfig.rb and stop on the version.  (The
    # makefile sets RUBYOPT itself, so it goes on make's command line; 1.8
    # has no rubygems built in, nor the option.)
    # 2.x pass windres its preprocessor as one word with options, which
    # this windres takes for a program's name; its default is that call.
    extra=()
    case $v in 2.*) extra=("WINDRES=$host-windres -DRC_INVOKED") ;; esac
    # 2.5 links its programs only on the way to its extensions: without
    # extensions they are named.
    targets=()
    case $v in 2.*) targets=(all ruby.exe rubyw.exe) ;; esac
    make -j"$([ "$v" = 1.8.7 ] && echo 1 || echo "$jobs")" \
      $([ "$v" = 1.8.7 ] || echo RUBYOPT=--disable-gems) "${extra[@]}" "${targets[@]}" >make.log 2>&1
    # Without bundled gems: they are not in the archives and cannot be fetched.
    # Without bundled gems (not in the archives, and nothing can be
    # fetched: HAVE_BASERUBY=no drops the download step), and with the
    # default gems in the prefix, not where Debian's rubygems would put them.
    DEBIAN_DISABLE_RUBYGEMS_INTEGRATION=1 make install-nodoc HAVE_BASERUBY=no \
      $([ "$v" = 1.8.7 ] || echo RUBYOPT=--disable-gems) "${extra[@]}" >install.log 2>&1 ||
      installed "$prefix" bin/ruby.exe
  ) || { log "cross $v failed: see $src/*.log"; return 1; }
  # The zlib extension imports zlib1.dll: it goes beside the interpreter.
  case ",$(exts_of "$v")," in *,zlib,*) cp "/usr/$host/lib/zlib1.dll" "$prefix/bin/" ;; esac
  runtime_dlls "$prefix" "$host"
  "$host-strip" --strip-unneeded "$prefix"/bin/*.dll "$prefix"/bin/*.exe 2>/dev/null || true
  touch "$prefix/.built"
  echo "$(date -u +%FT%TZ) $v cross $(( $(date +%s) - t0 ))" >> "$cache/build-times.log"
  rm -rf "$src"
}

missing_seconds() { # version -> expected time to build what is missing
  local need=0
  [ -f "$(prefix_of "$1" cross)/.built" ] && { echo 0; return; }
  needs_native "$1" && [ ! -f "$(prefix_of "$1" native)/.built" ] && need=$(expected_seconds "$1" native)
  echo $(( need + $(expected_seconds "$1" cross) ))
}
if [ $estimate = 1 ]; then
  for v in "${wanted[@]}"; do echo "$v $(missing_seconds "$v")"; done
  exit 0
fi

if [ $list = 1 ]; then
  for v in "${wanted[@]}"; do
    p=$(prefix_of "$v" cross)
    [ -f "$p/.built" ] && runtime_dlls "$p" "$(host_of "$v")" && echo "$v $p"
    if needs_native "$v"; then
      p=$(prefix_of "$v" native)
      [ -f "$p/.built" ] && echo "$v-native $p"
    fi
  done
  exit 0
fi

# What the builds need from Debian (the mingw-w64 compilers, zlib for the
# 3.2 build's zlib extension, bison and autoconf 2.69 for 1.8.7, ccache for
# the release libraries).
packages=(gcc make bison autoconf2.69 xz-utils ruby ccache
  gcc-mingw-w64-i686-win32 gcc-mingw-w64-x86-64-win32
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 libz-mingw-w64-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
[ $setup = 1 ] && exit 0

mkdir -p "$cache/build"
status=0 left=()
for v in "${wanted[@]}"; do
  if [ ! -f "${sources:-/nonexistent}/$(archive "$v")" ]; then
    log "no source archive for $v (QOR_RUBY_SOURCES, ../shared/ruby-sources beside the checkout, or a copy in $cache/sources)"
    left+=("$v"); continue
  fi
  need=$(missing_seconds "$v")
  [ "$need" = 0 ] && continue
  if ! fits "$need"; then left+=("$v"); continue; fi
  if needs_native "$v"; then build_native "$v" || { status=1; continue; }; fi
  build_cross "$v" || status=1
done
if [ ${#left[@]} -gt 0 ]; then
  log "not built: ${left[*]}"
  [ $status = 0 ] && status=3
fi
exit $status
