#!/usr/bin/env bash
# Times a key in a real window, from the key until the first pixel changes on
# the screen, in Folio's rich-text editor and in AbiWord on the same 1 MB
# document, in one run on one private virtual display, the programs in turn
# each round. Prints every program's median, 90th percentile and largest time,
# and the memory it holds once the document is open: the resident size of the
# program and of the processes it started, and their proportional total
# (a shared library's pages counted once).
#
#   bench/key_to_pixels.sh [BUILD_DIR] [KEYS] [ROUNDS]
#
# The shared 1 MB RTF document holds tables, which Folio opens read-only: both
# programs get a copy whose table rows are plain paragraphs, cells parted by
# tabs. The caret does not blink (a private GTK settings file), so that only a
# key changes the screen. FOLIO_BENCH_INPUTS names the folder of doc-1m.rtf.
# AbiWord is skipped when it is not installed (apt-get install abiword).
# KEYS_SHOTS names a folder for screenshots before and after each program's
# keys, to see that the keys landed in the text.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-tests}" && pwd)
keys=${2:-30}
rounds=${3:-2}
inputs=${FOLIO_BENCH_INPUTS:-$root/../shared/bench-inputs}
folio=$build/folio
timer=$build/bench_key_to_pixels
for needed in "$folio" "$timer"; do
  [ -x "$needed" ] || { echo "key_to_pixels.sh: $needed is missing; build first" >&2; exit 1; }
done
[ -f "$inputs/doc-1m.rtf" ] || { echo "key_to_pixels.sh: $inputs/doc-1m.rtf is missing; set FOLIO_BENCH_INPUTS" >&2; exit 1; }
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

python3 - "$inputs/doc-1m.rtf" "$scratch/editable.rtf" <<'EOF'
import re, sys
text = open(sys.argv[1], encoding='latin-1').read()
text = re.sub(r'\\(trowd|intbl|trgaph-?\d+|trleft-?\d+|cellx-?\d+|clbrdr[tlbr]|clvertal[tcb])(?![a-z])', '', text)
text = re.sub(r'\\row(?![a-z])', r'\\par', text)
text = re.sub(r'\\cell(?![a-z])', r'\\tab', text)
open(sys.argv[2], 'w', encoding='latin-1').write(text)
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

# "program-resident children-resident proportional-total", in megabytes.
memory() {
  local pid own=0 children=0 pss=0 first=$1
  for pid in $(family "$1"); do
    [ -r "/proc/$pid/smaps_rollup" ] || continue
    read -r rss share < <(awk '/^Rss:/ { r = $2 } /^Pss:/ { p = $2 } END { print r, p }' "/proc/$pid/smaps_rollup")
    if [ "$pid" = "$first" ]; then own=$((own + rss)); else children=$((children + rss)); fi
    pss=$((pss + share))
  done
  echo "$((own / 1024)) $((children / 1024)) $((pss / 1024))"
}

# Opens the copy in a program, puts the pointer and the caret in its text,
# and times the keys. $1: the name the times are kept under; the rest: the
# command, which the copy's path is appended to.
measure() {
  local name=$1; shift
  local copy=$scratch/$name-$RANDOM.rtf window= pid
  cp "$scratch/editable.rtf" "$copy"
  "$@" "$copy" >"$scratch/$name.log" 2>&1 &
  pid=$!
  for _ in $(seq 1 240); do
    sleep 0.25
    window=$(xdotool search --onlyvisible --name "$(basename "${copy%.rtf}")" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
  done
  if [ -z "$window" ]; then
    echo "key_to_pixels.sh: no window of $name; its log: $(tail -3 "$scratch/$name.log")" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  # Opened once the screen has been still for eight seconds: AbiWord shows
  # its progress, then lays the document out for seconds showing nothing new.
  "$timer" 0 8 || echo "key_to_pixels.sh: $name never finished opening" >&2
  memory "$pid" >>"$scratch/$name.memory"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  sleep 1
  if [ -n "${KEYS_SHOTS:-}" ]; then import -window root "$KEYS_SHOTS/$name-before.png"; fi
  "$timer" "$keys" >>"$scratch/$name.times" || echo "key_to_pixels.sh: $name: the keys could not be timed" >&2
  if [ -n "${KEYS_SHOTS:-}" ]; then import -window root "$KEYS_SHOTS/$name-after.png"; fi
  kill -TERM "$pid" 2>/dev/null || true
  sleep 1
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

for round in $(seq 1 "$rounds"); do
  measure folio "$folio" open || true
  if command -v abiword >/dev/null; then measure abiword abiword || true; fi
done

for name in folio abiword; do
  [ -s "$scratch/$name.times" ] || continue
  sort -n "$scratch/$name.times" | awk -v name="$name" '
    { t[NR] = $1 }
    END { printf "%-8s key to first changed pixel, 1 MB: median %6.1f ms, p90 %6.1f ms, largest %6.1f ms (%d keys)\n",
          name, t[int((NR + 1) / 2)], t[int(NR * 0.9 + 0.5)], t[NR], NR }'
  if [ -s "$scratch/$name.memory" ]; then
    awk -v name="$name" '
      { printf "%-8s memory once open: program %d MB, processes it started %d MB, proportional total %d MB\n",
        name, $1, $2, $3 }' "$scratch/$name.memory"
  fi
done
