#!/usr/bin/env bash
# Counts the plug-in calls in which the audio thread slept, through the
# host's path only: crest-host latency (the bundle's C interface, render) and
# crest-lv2-latency (LV2 run through lilv). For each mode, blocks of 64 and
# 256 frames, default and densest settings (Density and Scale 100 %): once
# with the editor open and idled every 40 ms, camera drags made with X
# events and (crest-host) a second host thread restoring the state every
# 100 ms and reading it back; once the same without the editor. The audio
# thread runs at SCHED_FIFO where permitted. Prints one table (Markdown);
# each run's own report is kept in the log folder.
#
#   scripts/measure-audio-thread.sh [--seconds S] [--build DIR] [--only acf|lv2] [--blocks "64 256"]
#
# --seconds: length of each run (default 60). Exits 1 when any call slept or
# a state read-back differed. Runs on a virtual display of its own (xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
build=build
only=""
blocks="64 256"
usage() {
  sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
while (($#)); do
  case $1 in
    --seconds) seconds=${2:?}; shift 2 ;;
    --build) build=${2:?}; shift 2 ;;
    --only) only=${2:?}; shift 2 ;;
    --blocks) blocks=${2:?}; shift 2 ;;
    *) usage ;;
  esac
done
[[ -z $only || $only == acf || $only == lv2 ]] || usage

if [ -z "${CREST_MEASURE_ON_XVFB:-}" ]; then
  exec env CREST_MEASURE_ON_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    "$0" --seconds "$seconds" --build "$build" --blocks "$blocks" ${only:+--only "$only"}
fi

host=$build/crest-host
lv2=$build/crest-lv2-latency
for program in "$host" "$lv2"; do
  [ -x "$program" ] || { echo "measure-audio-thread.sh: $program is not built" >&2; exit 2; }
done
logs=$build/audio-thread
mkdir -p "$logs"

modes=("0:LINES FREQ" "0.5:LINES TIME" "1:POINTS")
settings=("defaults:" "densest:--set Density=1 --set Scale=1")
hosts=()
[[ $only != lv2 ]] && hosts+=(acf)
[[ $only != acf ]] && hosts+=(lv2)

field() { sed -n "s/^summary:.* $1=\([^ ]*\).*/\1/p" "$2"; }

status=0
rows=()
started=$SECONDS
for h in "${hosts[@]}"; do
  for mode in "${modes[@]}"; do
    for setting in "${settings[@]}"; do
      for block in $blocks; do
        for editor in open closed; do
          args=(--realtime --seconds "$seconds" --block "$block" --set "Mode=${mode%%:*}")
          read -r -a extra <<<"${setting#*:}"
          args+=("${extra[@]}")
          if [ "$h" = acf ]; then
            cmd=("$host" latency "${args[@]}" --state-churn)
            what="render"
          else
            cmd=("$lv2" "${args[@]}")
            what="run"
          fi
          if [ $editor = open ]; then cmd+=(--drag); else cmd+=(--no-editor); fi
          log=$logs/$h-mode${mode%%:*}-${setting%%:*}-$block-$editor.txt
          echo "$ ${cmd[*]}" >"$log"
          rc=0
          "${cmd[@]}" >>"$log" 2>&1 || rc=$?
          if ! grep -q '^summary:' "$log"; then
            echo "measure-audio-thread.sh: no summary from: ${cmd[*]} (see $log)" >&2
            status=1
            continue
          fi
          ((rc == 0)) || status=1
          notes=""
          if line=$(grep -o 'read-back differed: [0-9]*' "$log"); then notes="${line/read-back /state }"; fi
          if line=$(grep -o 'camera drags: [0-9]*, turned the camera: [0-9]*' "$log"); then
            notes="${notes:+$notes, }${line/turned the camera/turned}"
          fi
          if line=$(grep -o 'host notifications from the audio thread: [0-9]*' "$log"); then
            notes="${notes:+$notes, }audio-thread notifications: ${line##*: }"
          fi
          grep -q 'not real-time' "$log" && notes="${notes:+$notes, }not SCHED_FIFO"
          rows+=("| $h $what | ${mode#*:} | ${setting%%:*} | $block | $editor | $(field calls "$log") | $(field slept "$log") | $(field longest_sleep_ms "$log") | $(field p50 "$log") | $(field p99 "$log") | $(field p999 "$log") | $(field max "$log") | $notes |")
          echo "${rows[-1]}" >&2
        done
      done
    done
  done
done

echo
echo "Audio-thread calls that slept, $seconds s per run ($(nproc) CPUs, $(date -u +%Y-%m-%dT%H:%MZ), $((SECONDS - started)) s in all; logs in $logs)"
echo
echo "| Host call | Mode | Settings | Block | Editor | Calls | Slept | Longest sleeping ms | p50 ms | p99 ms | p99.9 ms | max ms | Notes |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
exit $status
