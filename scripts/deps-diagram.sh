#!/usr/bin/env bash
# The folder dependencies of the sources, read from their
# #include "folder/..." lines, as the text picture the README's
# Architecture section shows.
#
#   scripts/deps-diagram.sh                    prints the picture
#   scripts/deps-diagram.sh --check README.md  fails when the README's picture
#                                              (between <!-- deps:begin -->
#                                              and <!-- deps:end -->) is not
#                                              the code's
#
# Either way it fails when a folder includes from one that is not beneath it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Top down: each folder and the folders directly beneath it. A folder may
# include from those and from whatever is beneath them in turn, so every
# allowed include points down this list and none can close a cycle.
layers=(
  "host: framework/include/acf"
  "plugin: editor dsp"
  "editor: view3d"
  "view3d: graph"
  "graph: framework"
  "dsp: framework"
  "framework/lv2: framework"
  "framework: framework/include/acf"
  "framework/include/acf:"
)

usage() {
  echo "usage: $0 [--check README.md]" >&2
  exit 2
}

readme=""
case $# in
  0) ;;
  2) [[ $1 == --check ]] || usage; readme=$2 ;;
  *) usage ;;
esac

folders=()
for entry in "${layers[@]}"; do
  folders+=("${entry%%:*}")
done

cd "$root"
sources=$(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' \
  -o -name '*.cc' -o -name '*.cpp' -o -name '*.inl' \) | LC_ALL=C sort)

# Every include of one folder from another, with the first place it is made:
# "from<TAB>to<TAB>file:line". A path under a top-level folder that is not
# listed above (tests/, bench/) counts as that folder; other paths (pugl/,
# nanovg.h, system headers) are not ours. "acf/" is reached through
# framework/include on the include path.
edges=$(printf '%s\n' "$sources" | LC_ALL=C awk -v folders="${folders[*]}" -v root="$root" '
  function owner(path,   f, best) {
    best = ""
    for (f in isFolder)
      if (index(path, f "/") == 1 && length(f) > length(best))
        best = f
    return best
  }
  function topDir(name,   cmd, ok) {
    if (!(name in isTop)) {
      cmd = "test -d \"" root "/" name "\""
      ok = system(cmd) == 0
      close(cmd)
      isTop[name] = ok
    }
    return isTop[name]
  }
  BEGIN {
    n = split(folders, list, " ")
    for (i = 1; i <= n; i++)
      isFolder[list[i]] = 1
  }
  {
    file = $0
    from = owner(file)
    lineNo = 0
    while ((getline line < file) > 0) {
      lineNo++
      if (line !~ /^[ \t]*#[ \t]*include[ \t]*["<]/)
        continue
      path = line
      sub(/^[ \t]*#[ \t]*include[ \t]*["<]/, "", path)
      sub(/[">].*$/, "", path)
      if (path ~ /(^|\/)\.\.\//) {
        to = ".."
      } else {
        if (index(path, "acf/") == 1)
          path = "framework/include/" path
        to = owner(path)
        if (to == "") {
          top = path
          if (!sub(/\/.*$/, "", top) || !topDir(top))
            continue
          to = top
        }
      }
      if (to == from || ((from, to) in seen))
        continue
      seen[from, to] = 1
      printf "%s\t%s\t%s:%d\n", from, to, file, lineNo
    }
    close(file)
  }')

# Which folders each folder may include from: the layer table, closed.
declare -A below rank
for i in "${!layers[@]}"; do
  entry=${layers[$i]}
  rank[${entry%%:*}]=$i
  below[${entry%%:*}]=${entry#*:}
done
declare -A allowed
for ((i = ${#layers[@]} - 1; i >= 0; i--)); do
  f=${folders[$i]}
  set=" "
  for d in ${below[$f]}; do
    if [[ -z ${rank[$d]+x} || ${rank[$d]} -le $i ]]; then
      echo "$0: layer table: $f sits on $d, which is not listed below it" >&2
      exit 2
    fi
    set+="$d ${allowed[$d]} "
  done
  allowed[$f]=$set
done

status=0
while IFS=$'\t' read -r from to where; do
  [[ -n $from ]] || continue
  if [[ $to == .. ]]; then
    echo "$0: $where: $from includes by a relative path; name the folder" >&2
    status=1
  elif [[ ${allowed[$from]} != *" $to "* ]]; then
    echo "$0: $where: $from includes from $to, which is not beneath it" >&2
    status=1
  fi
done <<<"$edges"

# The picture: one line per folder, top down, with the folders it includes
# from in the same order.
picture() {
  local f to targets width=0 pairs
  pairs=$(cut -f1,2 <<<"$edges")
  for f in "${folders[@]}"; do
    ((${#f} > width)) && width=${#f}
  done
  echo "folder -> the folders its sources include from (all arrows point down)"
  for f in "${folders[@]}"; do
    targets=""
    for to in "${folders[@]}"; do
      if grep -qxF "$f"$'\t'"$to" <<<"$pairs"; then
        targets+="${targets:+, }$to"
      fi
    done
    if [[ -n $targets ]]; then
      printf "%-${width}s -> %s\n" "$f" "$targets"
    else
      echo "$f"
    fi
  done
}

if [[ -z $readme ]]; then
  picture
  exit $status
fi

[[ -r $readme ]] || { echo "$0: cannot read $readme" >&2; exit 2; }
if [[ $(grep -c -x '<!-- deps:begin -->' "$readme") != 1 || $(grep -c -x '<!-- deps:end -->' "$readme") != 1 ]]; then
  echo "$0: $readme needs one <!-- deps:begin --> and one <!-- deps:end --> line" >&2
  exit 2
fi
# The block between the markers, less the code fence around the picture.
documented=$(sed -n '/^<!-- deps:begin -->$/,/^<!-- deps:end -->$/p' "$readme" |
  sed '1d;$d' | grep -v '^```' || true)
if ! diff -u --label "$readme" --label "from the code" <(printf '%s\n' "$documented") <(picture) >&2; then
  echo "$0: the dependency picture in $readme is out of date; paste in the output of scripts/deps-diagram.sh" >&2
  status=1
fi
exit $status
