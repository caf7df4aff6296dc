#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the whole suite (under a
# virtual X display, so that the GL tests run too).
#
# With CI=true, warnings are errors, the virtual display is checked before
# the suite, clang-tidy and the formatting are checked, and the suite runs
# once more in build-asan/ under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer, any finding failing it.
set -euo pipefail
cd "$(dirname "$0")"

xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24 -noreset")
ci=false
[ "${CI:-}" = true ] && ci=true
ciOptions=()
$ci && ciOptions=(-DCREST_WERROR=ON)

# Runs a step and says how long it took.
step() {
  local name=$1 start=$SECONDS rc=0
  shift
  "$@" || rc=$?
  echo "test.sh: $name took $((SECONDS - start)) s"
  return $rc
}

suite() {
  (cd "$1" && "${xvfb[@]}" ctest --output-on-failure -j"$(nproc)")
}

step setup scripts/setup.sh
step build scripts/build.sh build "${ciOptions[@]}"
# A virtual display that does not come up must stop CI here, loudly.
if $ci && ! step display "${xvfb[@]}" sh -c 'xdpyinfo >/dev/null'; then
  echo "test.sh: no working X display under xvfb-run: the GL tests cannot run" >&2
  exit 1
fi
step suite suite build

if $ci; then
  step tidy scripts/tidy.sh
  step format scripts/format.sh --check
  step "asan build" scripts/build.sh build-asan -DCREST_SANITIZE=address,undefined
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  # print_suppressions=0: the tests read the programs' stderr line by line.
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
  step "asan suite" suite build-asan
fi
