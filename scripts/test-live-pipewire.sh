#!/usr/bin/env bash
# crest-host live under PipeWire's JACK rather than jackd: starts a PipeWire
# daemon of its own (a private runtime folder, no session manager; its dummy
# driver runs the graph), holds the graph at 44.1 kHz and 256 frames, and
# runs the suite's JACK tests through pw-jack, so that sndfile-jackplay,
# crest-host live, the test's recorder and jack_bufsize are all PipeWire
# clients. Needs the build (scripts/build.sh) and pipewire-jack.
set -euo pipefail
cd "$(dirname "$0")/.."
runtime=$(mktemp -d /tmp/crest-pipewire-XXXXXX)
export XDG_RUNTIME_DIR="$runtime" PIPEWIRE_RUNTIME_DIR="$runtime"
pipewire >"$runtime/pipewire.log" 2>&1 &
pw=$!
cleanup() {
  kill "$pw" 2>/dev/null || true
  wait "$pw" 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

for _ in $(seq 100); do
  pw-cli info 0 >/dev/null 2>&1 && break
  sleep 0.1
done
pw-metadata -n settings 0 clock.force-rate 44100 >/dev/null
pw-metadata -n settings 0 clock.force-quantum 256 >/dev/null

CREST_LIVE_SERVER=default pw-jack build/crest_tests \
  --gtest_filter='HostLive.PassesMusicThroughBitForBitWithTheLandscapeMoving:HostLive.ComparisonCatchesOneFlippedSample'
