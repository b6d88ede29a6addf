#!/usr/bin/env bash
# Times a key in a real window, from the key until the first pixel changes on
# the screen, in Folio's rich-text editor and in AbiWord on the same documents
# (or, with KEYS_KIND=markdown, in Folio's Markdown editor and in FocusWriter),
# in one run on one private virtual display, the programs in turn each round.
# Prints for every program and document the keys' median, 90th percentile and
# largest time; the time from starting the program until its opening screen
# last changed, which bounds the time to be ready for typing from above (a bar
# or banner that changes later counts too); and the memory it holds once the
# document is open: the resident size of the program and of the processes it
# started, and their proportional total (a shared library's pages counted
# once); for Folio also what its page process holds by kind of mapping.
#
#   bench/key_to_pixels.sh [BUILD_DIR] [KEYS] [ROUNDS] [SIZES]
#
# SIZES names the shared documents, "10k 100k 1m" unless given.
# The shared RTF documents hold tables, which Folio opens read-only: both
# programs get a copy whose table rows are plain paragraphs, cells parted by
# tabs. The caret does not blink (a private GTK settings file), so that only a
# key changes the screen. FOLIO_BENCH_INPUTS names the documents' folder.
# A peer is skipped when it is not installed (apt-get install abiword
# focuswriter). FocusWriter is given a .txt copy: it takes Markdown as text.
# KEYS_SHOTS names a folder for screenshots before and after each program's
# keys, to see that the keys landed in the text.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-tests}" && pwd)
keys=${2:-30}
rounds=${3:-2}
sizes=${4:-10k 100k 1m}
inputs=${FOLIO_BENCH_INPUTS:-$root/../shared/bench-inputs}
folio=$build/folio
timer=$build/bench_key_to_pixels
for needed in "$folio" "$timer"; do
  [ -x "$needed" ] || { echo "key_to_pixels.sh: $needed is missing; build first" >&2; exit 1; }
done
kind=${KEYS_KIND:-rich}
case "$kind" in
  rich) extension=rtf peer=abiword ;;
  markdown) extension=md peer=focuswriter ;;
  *) echo "key_to_pixels.sh: KEYS_KIND is rich or markdown" >&2; exit 1 ;;
esac
for size in $sizes; do
  [ -f "$inputs/doc-$size.$extension" ] || { echo "key_to_pixels.sh: $inputs/doc-$size.$extension is missing; set FOLIO_BENCH_INPUTS" >&2; exit 1; }
done
for tool in Xvfb xdotool python3; do
  command -v $tool >/dev/null || { echo "key_to_pixels.sh: needs $tool" >&2; exit 1; }
done

scratch=$(mktemp -d)
xvfb=
cleanup() { [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
export FOLIO_HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config
mkdir -p "$FOLIO_HOME" "$XDG_CONFIG_HOME/gtk-3.0"
printf '[Settings]\ngtk-cursor-blink=false\n' >"$XDG_CONFIG_HOME/gtk-3.0/settings.ini"
# Scroll bars that fade in and out would count as changes of the screen.
export GTK_OVERLAY_SCROLLING=0

python3 - "$inputs" "$scratch" "$extension" $sizes <<'EOF'
import re, shutil, sys
for size in sys.argv[4:]:
  if sys.argv[3] == 'md':
    shutil.copyfile(f'{sys.argv[1]}/doc-{size}.md', f'{sys.argv[2]}/editable-{size}.md')
    continue
  text = open(f'{sys.argv[1]}/doc-{size}.rtf', encoding='latin-1').read()
  text = re.sub(r'\\(trowd|intbl|trgaph-?\d+|trleft-?\d+|cellx-?\d+|clbrdr[tlbr]|clvertal[tcb])(?![a-z])', '', text)
  text = re.sub(r'\\row(?![a-z])', r'\\par', text)
  text = re.sub(r'\\cell(?![a-z])', r'\\tab', text)
  open(f'{sys.argv[2]}/editable-{size}.rtf', 'w', encoding='latin-1').write(text)
EOF

displayfile=$scratch/display
Xvfb -displayfd 1 -screen 0 1400x1000x24 >"$displayfile" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
[ -s "$displayfile" ] || { echo "key_to_pixels.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$displayfile")

# The process and those it started, each on a line.
family() {
  echo "$1"
  local child
  for child in $(pgrep -P "$1" || true); do family "$child"; done
}

# What a process holds resident by kind of mapping, in kilobytes: "own
# allocations, GL driver, shared libraries" (fonts and other files left out).
mappings() {
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / {
      name = $6
      if (name == "" || name ~ /^\[/) kind = "own"
      else if (name ~ /\/dri\/|libLLVM|libEGL|libGL|libgbm|libglapi|libdrm/) kind = "gl"
      else if (name ~ /\.so/) kind = "lib"
      else kind = "other"
      next
    }
    /^Rss:/ { size[kind] += $2 }
    END { print size["own"] + 0, size["gl"] + 0, size["lib"] + 0 }' "/proc/$1/smaps"
}

# "program-resident children-resident proportional-total page-own page-gl
# page-libraries", in megabytes; the last three for the page's web process.
memory() {
  local pid own=0 children=0 pss=0 first=$1 page="0 0 0"
  for pid in $(family "$1"); do
    [ -r "/proc/$pid/smaps_rollup" ] || continue
    read -r rss share < <(awk '/^Rss:/ { r = $2 } /^Pss:/ { p = $2 } END { print r, p }' "/proc/$pid/smaps_rollup")
    if [ "$pid" = "$first" ]; then own=$((own + rss)); else children=$((children + rss)); fi
    pss=$((pss + share))
    case "$(cat "/proc/$pid/comm" 2>/dev/null)" in WebKitWebProces*) page=$(mappings "$pid") ;; esac
  done
  read -r pageOwn pageGL pageLibraries <<<"$page"
  echo "$((own / 1024)) $((children / 1024)) $((pss / 1024)) $((pageOwn / 1024)) $((pageGL / 1024)) $((pageLibraries / 1024))"
}

# Opens a copy of a document in a program, puts the pointer and the caret in
# its text, and times the keys. $1: the name the times are kept under; $2: the
# document's size; the rest: the command, which the copy's path is appended to.
measure() {
  local name=$1 size=$2; shift 2
  local copy=$scratch/$name-$size-$RANDOM.$extension window= pid started
  [ "$name" = focuswriter ] && copy=${copy%.*}.txt
  cp "$scratch/editable-$size.$extension" "$copy" && chmod u+w "$copy"
  started=$(date +%s.%N)
  "$@" "$copy" >"$scratch/$name.log" 2>&1 &
  pid=$!
  # Found by its process: AbiWord names its window for the title a document
  # carries, where it has one.
  for _ in $(seq 1 240); do
    sleep 0.25
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
  done
  if [ -z "$window" ]; then
    echo "key_to_pixels.sh: no window of $name; its log: $(tail -3 "$scratch/$name.log")" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  # Opened once the screen has been still for eight seconds: AbiWord shows
  # its progress, then lays the document out for seconds showing nothing new.
  local settled
  settled=$("$timer" 0 8) || echo "key_to_pixels.sh: $name never finished opening" >&2
  [ -n "$settled" ] && echo "$settled $started" | awk '{ printf "%.0f\n", ($1 - $2) * 1000 }' >>"$scratch/$name-$size.ready"
  memory "$pid" >>"$scratch/$name-$size.memory"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  sleep 1
  if [ -n "${KEYS_SHOTS:-}" ]; then import -window root "$KEYS_SHOTS/$name-$size-before.png"; fi
  "$timer" "$keys" >>"$scratch/$name-$size.times" || echo "key_to_pixels.sh: $name: the keys could not be timed" >&2
  if [ -n "${KEYS_SHOTS:-}" ]; then import -window root "$KEYS_SHOTS/$name-$size-after.png"; fi
  kill -TERM "$pid" 2>/dev/null || true
  sleep 1
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for round in $(seq 1 "$rounds"); do
  for size in $sizes; do
    measure folio "$size" "$folio" open || true
    if command -v "$peer" >/dev/null; then measure "$peer" "$size" "$peer" || true; fi
  done
done

for size in $sizes; do
  for name in folio "$peer"; do
    # A program whose keys could not be timed still shows how long it took
    # to open and what it holds once open.
    if [ -s "$scratch/$name-$size.times" ]; then
      sort -n "$scratch/$name-$size.times" | awk -v name="$name" -v size="$size" '
        { t[NR] = $1 }
        END { printf "%-8s %-4s key to first changed pixel: median %6.1f ms, p90 %6.1f ms, largest %6.1f ms (%d keys)\n",
              name, size, t[int((NR + 1) / 2)], t[int(NR * 0.9 + 0.5)], t[NR], NR }'
    fi
    if [ -s "$scratch/$name-$size.ready" ]; then
      sort -n "$scratch/$name-$size.ready" | awk -v name="$name" -v size="$size" '
        { t[NR] = $1 }
        END { printf "%-8s %-4s start to last change of the opening screen: median %5d ms, largest %5d ms (%d openings)\n",
              name, size, t[int((NR + 1) / 2)], t[NR], NR }'
    fi
    if [ -s "$scratch/$name-$size.memory" ]; then
      awk -v name="$name" -v size="$size" '
        { printf "%-8s %-4s memory once open: program %d MB, processes it started %d MB, proportional total %d MB\n",
          name, size, $1, $2, $3
          if ($4 + $5 + $6 > 0)
            printf "%-8s %-4s   of which its page process: own allocations %d MB, GL driver %d MB, other libraries %d MB\n",
              name, size, $4, $5, $6 }' "$scratch/$name-$size.memory"
    fi
  done
done
