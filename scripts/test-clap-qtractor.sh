#!/usr/bin/env bash
# Qtractor's plug-in scanner loads the CLAP module headless and must list
# both plug-ins with their parameters:
#   scripts/test-clap-qtractor.sh [build/QX-Crest.clap] [qtractor_plugin_scan]
# It prints one line per plug-in: CLAP|name|ins:outs|midi|params in:out|flags|path|index|id.
set -euo pipefail
cd "$(dirname "$0")/.."
module=$(realpath "${1:-build/QX-Crest.clap}")
scan=${2:-/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan}
if [ ! -x "$scan" ]; then
  echo "test-clap-qtractor.sh: no $scan (apt-get install qtractor, or scripts/setup.sh)" >&2
  exit 1
fi

status=0
out=$(echo "CLAP:$module" | QT_QPA_PLATFORM=offscreen "$scan" 2>&1) || status=$?
echo "$out"
[ $status = 0 ] || echo "test-clap-qtractor.sh: the scanner exited with $status" >&2
for expect in "QX Crest Mono|1:1|" "QX Crest Stereo|2:2|"; do
  line=$(grep -F "CLAP|$expect" <<<"$out" || true)
  if [ -z "$line" ]; then
    echo "test-clap-qtractor.sh: no line for '$expect'" >&2
    status=1
    continue
  fi
  # The parameters, inputs:outputs: Master Bypass and the eleven of the
  # plug-in, those it keeps from the host (camera, sizes) read-only, which
  # Qtractor lists as outputs.
  params=$(cut -d'|' -f5 <<<"$line")
  if [ $((${params%%:*} + ${params##*:})) != 12 ] || [ "${params##*:}" = 0 ]; then
    echo "test-clap-qtractor.sh: '$expect' lists $params parameters, not 12 with read-only ones" >&2
    status=1
  fi
done
[ $status = 0 ] && echo "test-clap-qtractor.sh: both plug-ins listed with their 12 parameters"
exit $status
