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
# Either way it fails on an include by a relative path ("../view3d/..."),
# which would get round the build's one-way folder libraries
# (cmake/FolderLibraries.cmake), the place that keeps the direction.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Top down, as the picture lists them.
folders=(host plugin editor view3d graph dsp framework/lv2 framework/vst3 framework/clap framework framework/include/acf)

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

status=0
while IFS=$'\t' read -r from to where; do
  if [[ $to == .. ]]; then
    echo "$0: $where: $from includes by a relative path; name the folder" >&2
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
