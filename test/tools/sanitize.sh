#!/usr/bin/env bash
# Builds the extension with ASan and UBSan in build/asan and runs the
# extension's Ruby tests with the sanitizer runtimes preloaded into the
# (uninstrumented) interpreter.  Any report fails the run.
#   sanitize.sh [test file or folder]...
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/asan"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_SANITIZE=ON \
    -DQOR_TEST_WIN32=OFF >/dev/null
fi
cmake --build "$build" -j2 --target QORModule qor_hook_test_support | grep -vE '^\[|^-- ' || true

runtime="$(g++ -print-file-name=libasan.so):$(g++ -print-file-name=libubsan.so)"
supp=$(mktemp)
trap 'rm -f "$supp"' EXIT
# Leaks are the extension's only: whatever the interpreter keeps for the
# life of the process is not ours to report.
cat >"$supp" <<'SUPP'
leak:libruby
leak:ruby_xmalloc
leak:/usr/bin/ruby
SUPP
# detect_stack_use_after_return=0: frames left by the interpreter's longjmp
# (see QOR_SANITIZE in the extension's CMakeLists.txt).
# use_sigaltstack=0: the interpreter runs its own threads (timer, fibers),
# and the runtime cannot unmap its alternate signal stack when they end.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=0:use_sigaltstack=0:abort_on_error=0:exitcode=86:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QOR_MODULE_DIR="$build/lib"
# The road comparisons on a few buildings: the sanitizers watch the memory,
# the plain run covers the buildings.
export QOR_ROAD_SEEDS="${QOR_ROAD_SEEDS:-8}"
LD_PRELOAD="$runtime" ruby "$root/test/run.rb" "$@"
