#!/usr/bin/env bash
# Builds the libFuzzer harness of the C interface with clang, ASan and UBSan
# (in build-fuzz/) and runs it. Needs clang-14 and its runtime (Debian:
# clang-14 libclang-rt-14-dev). Arguments go to libFuzzer, for instance
#   scripts/fuzz.sh -max_total_time=600 -jobs=1
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DCREST_SANITIZE=address,undefined -DCREST_FUZZ=ON >/dev/null
cmake --build build-fuzz -j2 --target crest_fuzz
mkdir -p build-fuzz/corpus
# No display: the editor's window and GL context stay closed, as in a host
# that never opens the editor. UBSan findings end the run like ASan's.
env -u DISPLAY \
  ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}" \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:fast_unwind_on_malloc=0" \
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  build-fuzz/crest_fuzz build-fuzz/corpus "$@"
