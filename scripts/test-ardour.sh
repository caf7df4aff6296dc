#!/usr/bin/env bash
# QX Crest Stereo in Ardour 7, headless, as VST3 and as LV2: for each, a
# session on the dummy back end with a stereo track whose region holds 20 s
# of music-like input; the plug-in inserted and set from Lua; the master
# exported as 32-bit float without dither and compared with the input
# sample by sample; the session saved, its state record given a camera
# angle (a value only the state carries: the plug-in ignores it from the
# host), reopened in a new process, saved again; the parameters and the
# record read back.
#
#   scripts/test-ardour.sh            both formats
#   scripts/test-ardour.sh vst3       one of them (vst3 or lv2)
#
# Installs Debian's ardour package when it is missing (about 100 MB). Needs
# the build (scripts/build.sh); works in build/ardour-test/. Exits non-zero
# when an export differs from its input or the state did not come back.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
formats=("${@:-vst3 lv2}")
read -r -a formats <<<"${formats[*]}"

if ! dpkg-query -W -f='${Status}' ardour 2>/dev/null | grep -q "install ok installed"; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends ardour
fi
[ -d build ] || scripts/build.sh build >/dev/null
cmake --build build -j2 --target QX-Crest-vst3 QX-Crest-lv2 >/dev/null

work=$root/build/ardour-test
rm -rf "$work"
mkdir -p "$work/config" "$work/cache" "$work/vst3" "$work/lv2"
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export VST3_PATH=$work/vst3 LV2_PATH=$work/lv2:/usr/lib/lv2
cp -r build/QX-Crest.vst3 "$work/vst3/"
cp -rL build/QX-Crest.lv2 "$work/lv2/"
# Ardour takes a scanned VST3 only when its cache entry is newer than the
# module: a bundle copied within the same second as the scan is left out.
find "$work/vst3" -exec touch -h -d "2 minutes ago" {} +
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner "$work/vst3/QX-Crest.vst3" >"$work/scan.log" 2>&1

rate=44100
frames=$((20 * rate))
python3 - "$work/input.wav" "$frames" "$rate" <<'EOF'
# Music-like stereo input: a chord progression of decaying partials, a bass
# line and noise bursts, as 32-bit float.
import math, random, struct, sys
path, n, rate = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(5)
chords = [[220.0, 277.18, 329.63], [196.0, 246.94, 293.66], [174.61, 220.0, 261.63], [164.81, 207.65, 246.94]]
out = bytearray()
for i in range(n):
    t = i / rate
    beat, within = divmod(t, 0.5)
    chord = chords[int(beat // 4) % 4]
    env = math.exp(-3.0 * within)
    l = sum(0.12 * env * math.sin(2 * math.pi * f * t) for f in chord)
    r = sum(0.12 * env * math.sin(2 * math.pi * f * 1.003 * t + 0.4) for f in chord)
    bass = 0.2 * math.exp(-2.0 * within) * math.sin(2 * math.pi * chord[0] / 2 * t)
    hat = (random.random() - 0.5) * 0.1 * math.exp(-40.0 * ((t % 0.25))) if int(t * 4) % 2 else 0.0
    out += struct.pack("<ff", l + bass + hat, r + bass - hat)
hdr = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(out), b"WAVE", b"fmt ", 16, 3, 2, rate, rate * 8, 8, 32,
                  b"data", len(out))
open(path, "wb").write(hdr + out)
EOF

cat >"$work/wav.py" <<'EOF'
# Float WAV helpers: split a stereo file into mono files, compare two files.
import struct, sys

def read(path):
    data = open(path, "rb").read()
    pos, fmt, body = 12, None, None
    while pos + 8 <= len(data):
        tag, size = struct.unpack("<4sI", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", chunk[:16])
        elif tag == b"data":
            body = chunk
        pos += 8 + size + (size & 1)
    assert fmt and fmt[5] == 32 and fmt[0] in (3, 0xFFFE), (path, fmt)
    return fmt[1], fmt[2], body

def write(path, channels, rate, body):
    hdr = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(body), b"WAVE", b"fmt ", 16, 3, channels, rate,
                      rate * 4 * channels, 4 * channels, 32, b"data", len(body))
    open(path, "wb").write(hdr + body)

if sys.argv[1] == "split":
    ch, rate, body = read(sys.argv[2])
    for c, out in enumerate(sys.argv[3:5]):
        mono = b"".join(body[i + 4 * c:i + 4 * c + 4] for i in range(0, len(body), 4 * ch))
        write(out, 1, rate, mono)
else:
    ci, _, a = read(sys.argv[2])
    co, _, b = read(sys.argv[3])
    frames = len(a) // (4 * ci)
    if ci != co or len(b) < len(a):
        print(f"export: {co} channels, {len(b) // (4 * co)} frames; input {ci} channels, {frames} frames")
        sys.exit(1)
    diff = [i for i in range(0, len(a), 4) if a[i:i + 4] != b[i:i + 4]]
    if diff:
        i = diff[0] // 4
        print(f"export differs in {len(diff)} of {len(a) // 4} samples; first at frame {i // ci}, channel {i % ci}")
        sys.exit(1)
    print(f"export equals the input bit for bit: {frames} frames x {ci} channels")
EOF

cat >"$work/record.py" <<'EOF'
# The plug-in's state record (eleven little-endian doubles) in a saved
# session: VST3 in the processor's <chunk> (a preset container whose
# "Comp" entry is the component's state), LV2 in the state folder's Turtle.
#   record.py show FORMAT SESSION          prints the values
#   record.py set FORMAT SESSION IDX VALUE writes one value
import base64, glob, os, re, struct, sys

mode, fmt, session = sys.argv[1:4]
xml_path = os.path.join(session, "crest.ardour")
xml = open(xml_path).read()

def locate():
    if fmt == "vst3":
        m = re.search(r'(<Processor [^>]*type="vst3".*?<chunk>)([^<]*)(</chunk>)', xml, re.S)
        blob = bytearray(base64.b64decode(m.group(2)))
        (list_at,) = struct.unpack_from("<q", blob, 40)
        count = struct.unpack_from("<i", blob, list_at + 4)[0]
        for k in range(count):
            tag, at, size = struct.unpack_from("<4sqq", blob, list_at + 8 + 20 * k)
            if tag == b"Comp":
                return blob, at, size, m
        raise SystemExit("no component state in the chunk")
    state_dir = re.search(r'<lv2 [^>]*state-dir="([^"]+)"', xml).group(1)
    ttl = glob.glob(os.path.join(session, "plugins", "*", state_dir, "state.ttl"))[0]
    text = open(ttl).read()
    m = re.search(r'(#state> """)(.*?)(""")', text, re.S)
    blob = bytearray(base64.b64decode(m.group(2)))
    return blob, 0, len(blob), (m, ttl, text)

blob, at, size, where = locate()
names = ["Mode", "Speed", "Density", "Scale", "Angle0", "Angle1", "CamFov", "Graph", "SmallGUI", "MediumGUI", "BigGUI"]
values = struct.unpack_from("<%dd" % (size // 8), blob, at)
if mode == "show":
    print(" ".join("%s=%g" % (n, v) for n, v in zip(names, values)) + ("" if fmt == "vst3" else " (" + where[1].split(session + "/")[-1] + ")"))
    sys.exit(0)
struct.pack_into("<d", blob, at + 8 * int(sys.argv[4]), float(sys.argv[5]))
encoded = base64.b64encode(bytes(blob)).decode()
if fmt == "vst3":
    m = where
    open(xml_path, "w").write(xml[:m.start(2)] + encoded + xml[m.end(2):])
else:
    m, ttl, text = where
    open(ttl, "w").write(text[:m.start(2)] + encoded + text[m.end(2):])
EOF

lua() { (cd "$work" && timeout 300 stdbuf -oL ardour7-lua "$1" >"$1.log" 2>&1) || true; }

status=0
for format in "${formats[@]}"; do
  case $format in
    vst3)
      plugin="QX Crest Stereo"
      type=VST3
      # Ardour lists a VST3's automatable parameters by their plain values.
      sets="{0, 2}, {1, 75}, {2, 30}"
      reads="0, 1, 2"
      speed=1
      ;;
    lv2)
      plugin="http://tessaro.example/plugins/qx-crest#stereo"
      type=LV2
      # Control inputs: Enabled is 0, then the parameters in port order.
      sets="{1, 2}, {2, 75}, {3, 30}"
      reads="1, 2, 3"
      speed=2
      ;;
    *) echo "unknown format $format" >&2; exit 2 ;;
  esac
  dir=$work/$format-session
  echo "== $format: $plugin"

  # 1. A session whose track recorded 2 s from the dummy input: Ardour
  # writes the sources, the region and the playlist.
  cat >"$work/$format-1.lua" <<EOF
AudioEngine:set_backend("None (Dummy)", "", "")
assert(create_session("$dir", "crest", $rate), "no session")
local t = Session:new_audio_track(2, 2, nil, 1, "Music", ARDOUR.PresentationInfo.max_order,
                                  ARDOUR.TrackMode.Normal, true):front()
t:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
Session:maybe_enable_record(false)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
os.execute("sleep 2.5")
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
os.execute("sleep 0.5")
Session:save_state("", false, false, false, false, false)
close_session()
print("recorded")
EOF
  lua "$format-1.lua"
  grep -q "^recorded" "$work/$format-1.lua.log" || { echo "recording failed: $work/$format-1.lua.log"; status=1; continue; }

  # 2. The recorded files become the input's channels; the regions take
  # the input's length and lose their fades.
  left=$(ls "$dir"/interchange/*/audiofiles/*%L.wav)
  right=$(ls "$dir"/interchange/*/audiofiles/*%R.wav)
  python3 "$work/wav.py" split "$work/input.wav" "$left" "$right"
  python3 - "$dir/crest.ardour" "$frames" <<'EOF'
import re, sys
path, frames = sys.argv[1], int(sys.argv[2])
xml = open(path).read()
# Positions and lengths are in superclock units: 6400 per sample at 44.1 kHz.
xml = re.sub(r'(<Region [^>]*?length=")a\d+@a0"', lambda m: m.group(1) + "a%d@a0\"" % (frames * 6400), xml)
xml = xml.replace('fade-in-active="1"', 'fade-in-active="0"').replace('fade-out-active="1"', 'fade-out-active="0"')
open(path, "w").write(xml)
EOF

  # 3. The plug-in on the track, parameters from Lua, monitoring from disk,
  # the master exported as 32-bit float (no dither, no normalising).
  cat >"$work/config/crest-export.preset" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="5f0c6a0e-8d47-4bd5-a1f2-6c2f3b1e9a11" name="QX Crest bit-exact">
  <ExportFormat id="20b4ab09-6452-4cb3-bd66-b921cdbd2942"/>
  <ExportFilename>
    <Folder relative="false" path="$WORK"/>
    <Field name="label" enabled="true" value="export"/>
    <Field name="session" enabled="false"/>
    <Field name="revision" enabled="false"/>
    <Field name="time" enabled="false" value="T_None"/>
    <Field name="date" enabled="false" value="D_None"/>
  </ExportFilename>
</ExportPreset>
EOF
  mkdir -p "$work/config/ardour7/export"
  sed "s|\$WORK|$work|" "$work/config/crest-export.preset" >"$work/config/ardour7/export/crest-export.preset"
  cat >"$work/$format-2.lua" <<EOF
AudioEngine:set_backend("None (Dummy)", "", "")
assert(load_session("$dir", "crest"), "no session")
local t = Session:route_by_name("Music"):to_track()
local p = ARDOUR.LuaAPI.new_plugin(Session, "$plugin", ARDOUR.PluginType.$type, "")
assert(not p:isnil(), "plug-in not found")
assert(t:add_processor_by_index(p, 0, nil, true), "plug-in not added")
for _, s in ipairs({$sets}) do ARDOUR.LuaAPI.set_processor_param(p, s[1], s[2]) end
t:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorDisk, PBD.GroupControlDisposition.NoGroup)
local e = Session:simple_export()
e:set_name("$format")
e:set_folder("$work")
e:set_range(0, $frames)
assert(e:set_preset("5f0c6a0e-8d47-4bd5-a1f2-6c2f3b1e9a11"), "no export preset")
assert(e:run_export(), "export failed")
Session:save_state("", false, false, false, false, false)
for _, i in ipairs({$reads}) do local v = ARDOUR.LuaAPI.get_processor_param(p, i); print("param", i, v) end
close_session()
print("exported")
EOF
  lua "$format-2.lua"
  grep -q "^exported" "$work/$format-2.lua.log" || { echo "export failed: $work/$format-2.lua.log"; status=1; continue; }
  grep "^param" "$work/$format-2.lua.log" | sed 's/^/  set: /'
  mv "$work/export.wav" "$work/$format-export.wav"
  python3 "$work/wav.py" compare "$work/input.wav" "$work/$format-export.wav" | sed 's/^/  /' || status=1

  # 4. The saved record gets a camera angle the host cannot set (the
  # plug-in ignores it from the host); a new process reopens the session,
  # reads the parameters, changes Speed (so that the state is written
  # anew) and saves; the record it saves must hold the angle.
  echo "  saved:    $(python3 "$work/record.py" show "$format" "$dir")"
  python3 "$work/record.py" set "$format" "$dir" 4 33
  cat >"$work/$format-3.lua" <<EOF
AudioEngine:set_backend("None (Dummy)", "", "")
assert(load_session("$dir", "crest"), "no session")
local p = Session:route_by_name("Music"):to_track():nth_plugin(0)
assert(not p:isnil(), "no plug-in after reopening")
for _, i in ipairs({$reads}) do local v = ARDOUR.LuaAPI.get_processor_param(p, i); print("param", i, v) end
ARDOUR.LuaAPI.set_processor_param(p, $speed, 60)
-- A few process cycles: an LV2 plug-in reads its ports in run.
os.execute("sleep 1")
Session:save_state("", false, false, false, false, false)
close_session()
print("reopened")
EOF
  lua "$format-3.lua"
  grep -q "^reopened" "$work/$format-3.lua.log" || { echo "reopening failed: $work/$format-3.lua.log"; status=1; continue; }
  grep "^param" "$work/$format-3.lua.log" | sed 's/^/  reopened: /'
  record=$(python3 "$work/record.py" show "$format" "$dir")
  echo "  resaved:  $record"
  if [[ "$record " == "Mode=2 Speed=60 Density=30 "*" Angle0=33 "* ]]; then
    echo "  state came back: the angle only the record carried, and the values set from Lua"
  else
    echo "  state did NOT come back"
    status=1
  fi
done
exit $status
