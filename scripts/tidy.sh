#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over every source file of ours:
# the plug-in, the LV2 adapter, the host and the benchmarks; the tests are
# left out. Exits non-zero on any finding. Needs Debian's clang-tidy.
# TIDY_JOBS sets how many files are checked at once (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

tidy=$(command -v clang-tidy || command -v clang-tidy-14 || true)
if [ -z "$tidy" ]; then
  echo "tidy.sh: clang-tidy not found (apt-get install clang-tidy)" >&2
  exit 2
fi

# Configuring writes compile_commands.json and the generated headers
# (CrestVersion.h); nothing needs building.
cmake -S . -B build-tidy -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

files=$(git ls-files --cached --others --exclude-standard -- 'framework/*.cpp' 'dsp/*.cpp' 'graph/*.cpp' \
  'view3d/*.cpp' 'editor/*.cpp' 'plugin/*.cpp' 'host/*.cpp' 'bench/*.cpp')

# One file per run, its output printed in one piece so that runs side by
# side do not interleave; clang's count of suppressed warnings is dropped.
status=0
printf '%s\n' $files | xargs -P "${TIDY_JOBS:-2}" -I{} sh -c \
  'out=$("$0" -p build-tidy --quiet "$1" 2>&1); rc=$?
   out=$(printf "%s\n" "$out" | grep -Ev "^[0-9]+ warnings? generated\.$")
   [ -n "$out" ] && printf "%s\n" "$out"; exit $rc' \
  "$tidy" {} || status=1

result=clean
[ $status = 0 ] || result=findings
echo "tidy.sh: $(printf '%s\n' $files | wc -l) files in $((SECONDS - start)) s: $result"
exit $status
