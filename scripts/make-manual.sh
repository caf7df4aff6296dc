#!/usr/bin/env bash
# Builds manual/QX-Crest_manual-EN.pdf from manual/manual.ms with groff's ms
# macros and Ghostscript's ps2pdf; a picture of the editor is put in when
# manual/editor.png exists (crest-host render -o manual/editor.png).
# Needs the Debian packages groff, ghostscript and netpbm.
set -euo pipefail
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cp manual/manual.ms "$work/manual.ms"
if [ -f manual/editor.png ]; then
  pngtopnm manual/editor.png | pnmtops -noturn -nosetpage -dpi 150 > "$work/editor.eps" 2>/dev/null
  # 15 cm wide, centred, with a caption.
  python3 - "$work/manual.ms" <<'PY'
import sys
path = sys.argv[1]
text = open(path).read()
picture = ".PSPIC -C editor.eps 15c\n.ce\n\\fIThe editor at 800\\(mu555\\fP\n.sp\n"
open(path, "w").write(text.replace(".\\\" EDITOR-PICTURE\n", picture, 1))
PY
fi
(cd "$work" && groff -ms -Tps -dpaper=a4 -P-pa4 manual.ms > manual.ps)
ps2pdf -sPAPERSIZE=a4 -dPDFSETTINGS=/prepress "$work/manual.ps" manual/QX-Crest_manual-EN.pdf
echo "manual/QX-Crest_manual-EN.pdf"
