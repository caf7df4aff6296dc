#!/usr/bin/env bash
# The LV2 build in a real host, headless: Xvfb, a JACK server on the dummy
# back end, jalv.gtk3 with the plug-in's UI, music played into its inputs.
# Checks that the editor shows inside jalv's window and that the landscape
# moves (two screenshots differ in the graph), and reports the CPU share of
# jalv with the UI open. Screenshots go to build/lv2-host-test/.
#   scripts/test-lv2-hosts.sh [PLUGIN_URI [IN_L IN_R]]
# Another plug-in's URI (and its input port symbols) measures it the same
# way, without the checks that are ours.
set -euo pipefail
cd "$(dirname "$0")/.."
ours=http://tessaro.example/plugins/qx-crest
uri="${1:-$ours#stereo}"
in_l="${2:-in_l}" in_r="${3:-in_r}"
out=build/lv2-host-test
mkdir -p "$out"
export LV2_PATH="$PWD/build/lv2:/usr/lib/lv2"

pids=()
jackd_pid=
# Ends a process of ours: the signal, then SIGKILL if it is still there
# after two seconds (sndfile-jackplay at times ignores SIGTERM).
stop() {
  kill "-$2" "$1" 2>/dev/null || return 0
  for _ in $(seq 20); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    [[ "${pids[i]}" == "$jackd_pid" ]] || stop "${pids[i]}" TERM
  done
  # Last, and on SIGINT: otherwise jackd leaves its server registered, and
  # JACK has 8 such slots for everyone on the machine.
  [[ -z "$jackd_pid" ]] || stop "$jackd_pid" INT
}
trap cleanup EXIT

disp=$((90 + RANDOM % 100))
Xvfb ":$disp" -screen 0 1280x1024x24 -noreset >"$out/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$disp"
server="crest$$"
export JACK_DEFAULT_SERVER="$server"
jackd -n "$server" -r -d dummy -r 44100 -p 256 >"$out/jackd.log" 2>&1 &
jackd_pid=$!
pids+=($jackd_pid)
sleep 2

# Music: the host's demo signal, passed through the ACF build into a file.
[ -f "$out/music.wav" ] || build/crest-host process -o "$out/music.wav" >/dev/null

client=crestlv2
jalv.gtk3 -n "$client" "$uri" >"$out/jalv.log" 2>&1 &
jalv_pid=$!
pids+=($jalv_pid)
sleep 6
kill -0 "$jalv_pid" || { echo "FAIL: jalv exited"; cat "$out/jalv.log"; exit 1; }

shot() { xwd -root -silent | xwdtopnm 2>/dev/null >"$out/$1.ppm"; pnmtopng "$out/$1.ppm" >"$out/$1.png"; }
shot silent

# The editor is a child window of jalv's window, 800 x 555.
if [[ "$uri" == "$ours"* ]] && ! xwininfo -root -tree | grep -q '800x555'; then
  echo "FAIL: no 800x555 editor window"; xwininfo -root -tree | head -40; exit 1
fi
[[ "$uri" == "$ours"* ]] && echo "ok: editor window inside jalv"

sndfile-jackplay -l 0 "$out/music.wav" >"$out/jackplay.log" 2>&1 &
pids+=($!)
sleep 1
if [[ "$uri" == "$ours#mono" ]]; then
  jack_connect jackplay:out_1 "$client:in"
else
  jack_connect jackplay:out_1 "$client:$in_l"
  jack_connect jackplay:out_2 "$client:$in_r"
fi
sleep 3
shot playing1
t0=$(awk '{print $14 + $15}' "/proc/$jalv_pid/stat")
sleep 5
t1=$(awk '{print $14 + $15}' "/proc/$jalv_pid/stat")
shot playing2
hz=$(getconf CLK_TCK)
echo "jalv CPU with music and the UI open: $(( (t1 - t0) * 100 / (5 * hz) )) % of a core"

[[ "$uri" == "$ours"* ]] || exit 0

# The landscape moves: the screenshots differ, and in many pixels.
python3 - "$out/silent.ppm" "$out/playing1.ppm" "$out/playing2.ppm" <<'PY'
import sys
def load(p):
    data = open(p, 'rb').read()
    parts = data.split(maxsplit=4)
    return int(parts[1]), int(parts[2]), parts[4]
w, h, a = load(sys.argv[2])
_, _, b = load(sys.argv[3])
_, _, s = load(sys.argv[1])
diff = sum(1 for i in range(0, len(a), 3) if a[i:i+3] != b[i:i+3])
sdiff = sum(1 for i in range(0, len(a), 3) if a[i:i+3] != s[i:i+3])
print(f"pixels changed between two playing screenshots: {diff}; against silence: {sdiff}")
sys.exit(0 if diff > 2000 and sdiff > 2000 else 1)
PY
echo "ok: the landscape moves"
