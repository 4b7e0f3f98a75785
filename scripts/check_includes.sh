#!/usr/bin/env bash
# Checks the include graph of the program's sources against the layering: a
# subsystem includes only itself and what lies below it, the FLTK backend is
# included only by the program's entry (app/main), and FLTK, OpenGL and Xlib
# headers are included only inside platform/ui/fltk.
#
#   scripts/check_includes.sh [--counts] [ROOT]
#
# ROOT is the source tree (the repository by default). --counts prints, for each
# pair of subsystems with an upward include, the include lines and files.
# Exit status: 0 when no include goes against the layering, 1 otherwise.
set -euo pipefail

# The allowed order, lowest first: the one place it is written.
LAYERS="platform/os platform/ui work_model machine_setup nc simulation view app"
BESIDE="platform/ui/fltk"   # beside the layers, seen only by ENTRY
ENTRY="app/main"

counts=0
if [ "${1:-}" = "--counts" ]; then counts=1; shift; fi
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"

dirs=""
for d in $LAYERS; do [ -d "$d" ] && dirs="$dirs $d"; done
[ -n "$dirs" ] || { echo "check_includes: no source folders under $root" >&2; exit 1; }

find $dirs -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.hpp' -o -name '*.cc' \) | sort |
  { xargs grep -Hn '^[[:space:]]*#[[:space:]]*include' /dev/null || true; } |
  awk -v layers="$LAYERS" -v beside="$BESIDE" -v entry="$ENTRY" -v counts="$counts" '
    function layerof(path,    i, best, bestlen) {
      # Longest matching folder prefix decides; the backend is a layer of its own.
      if (index(path, beside "/") == 1) return "B"
      best = -1; bestlen = 0
      for (i = 1; i <= n; i++)
        if (index(path, names[i] "/") == 1 && length(names[i]) > bestlen) { best = i; bestlen = length(names[i]) }
      return best
    }
    BEGIN { n = split(layers, names, " "); bad = 0 }
    {
      file = $0; sub(/:.*/, "", file)
      line = $0; sub(/^[^:]*:/, "", line); lineno = line; sub(/:.*/, "", lineno); sub(/^[^:]*:/, "", line)
      from = layerof(file)
      if (match(line, /<(FL|GL|X11)\//) || match(line, /<(Fl|Fl_[A-Za-z_]*)\.H>/)) {
        if (from != "B") { printf "%s:%s: toolkit header outside %s: %s\n", file, lineno, beside, line; bad++ }
        next
      }
      if (!match(line, /"[^"]*"/)) next
      inc = substr(line, RSTART + 1, RLENGTH - 2)
      to = layerof(inc)
      if (to == -1) next
      if (to == "B") {
        if (from == "B" || index(file, entry "/") == 1) next
        printf "%s:%s: %s included outside %s: %s\n", file, lineno, beside, entry, inc; bad++
        pair = names[from == "B" ? 0 : from] " -> " beside
      } else if (from == "B") {
        if (to <= 2) next    # the backend sees platform/os and platform/ui only
        printf "%s:%s: %s includes %s\n", file, lineno, beside, inc; bad++
        pair = beside " -> " names[to]
      } else if (to > from) {
        printf "%s:%s: upward include (%s -> %s): %s\n", file, lineno, names[from], names[to], inc; bad++
        pair = names[from] " -> " names[to]
      } else next
      lines[pair]++
      if (!((pair, file) in seen)) { seen[pair, file] = 1; files[pair]++ }
    }
    END {
      if (counts) for (p in lines) printf "count %s: %d lines / %d files\n", p, lines[p], files[p]
      if (bad) { printf "check_includes: %d include(s) against the layering\n", bad; exit 1 }
      print "check_includes: include graph follows the layering"
    }'
